// libFuzzer target: the topic page builder with any bytes, any kind of value or Null in any
// column of the topic row, and any number of replies.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

#include "base/errors.h"
#include "render/topic_page.h"

namespace {

zenta::Value AnyValue(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            return {};
        case 1:
            return zenta::Value::Integer(input.ConsumeIntegral<std::int64_t>());
        case 2:
            return zenta::Value::Real(input.ConsumeFloatingPoint<double>());
        default:
            return zenta::Value::Text(input.ConsumeRandomLengthString(4096));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    zenta::TopicRow row;
    for (zenta::Value& value : row) value = AnyValue(input);
    std::vector<zenta::ReplyRow> replies;
    while (input.remaining_bytes() > 0 && replies.size() < 64)
        replies.push_back({input.ConsumeRandomLengthString(4096), input.ConsumeRandomLengthString(64),
                           input.ConsumeRandomLengthString(256)});
    try {
        zenta::BuildTopicPage(row, replies);
    } catch (const zenta::Error&) {
        // A header value of the wrong kind is refused with the conversion error.
    }
    return 0;
}
