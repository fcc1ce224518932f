// Jet text bytes come out as UTF-8 with every character kept; Jet dates as date codes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "jetreader/jet_date.h"
#include "jetreader/jet_text.h"

namespace zenta::jet {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out.push_back(static_cast<char>(v));
    return out;
}

struct TextCase {
    const char* name;
    std::string bytes;
    std::string utf8;
};

TEST(Jet4Text, DecodesEveryForm) {
    const TextCase cases[] = {
        {"empty", "", ""},
        {"plain UTF-16LE", Bytes({'a', 0, 0x2d, 0x4e}), "a中"},
        {"compressed", Bytes({0xFF, 0xFE, 'H', 'i', 0xE9}), "Hi\xC3\xA9"},
        // Access writes mixed values: 00 switches to two-byte units and back.
        {"compressed then wide then compressed", Bytes({0xFF, 0xFE, 'a', 0, 0x2d, 0x4e, 0x87, 0x65, 0, 'b'}), "a中文b"},
        {"compressed flag on a wide-only value", Bytes({0xFF, 0xFE, 0, 0x4A, 0x55}), "啊"},
        {"character outside the BMP", Bytes({0x3D, 0xD8, 0x00, 0xDE}), "\xF0\x9F\x98\x80"},
        {"unpaired high surrogate", Bytes({0x3D, 0xD8, 'x', 0}), "\xEF\xBF\xBDx"},
        {"unpaired low surrogate", Bytes({0x00, 0xDE}), "\xEF\xBF\xBD"},
        {"odd trailing byte", Bytes({'a', 0, 'b'}), "a\xEF\xBF\xBD"},
        {"odd byte in a wide run", Bytes({0xFF, 0xFE, 0, 'a'}), "\xEF\xBF\xBD"},
        {"full-width space", Bytes({0x00, 0x30}), "\xE3\x80\x80"},
    };
    for (const TextCase& c : cases) EXPECT_EQ(Jet4TextToUtf8(c.bytes), c.utf8) << c.name;
}

TEST(JetDate, ReadsAsTheBoardsDateCode) {
    struct Case {
        double days;
        const char* code;
    };
    const Case cases[] = {
        {0.0, "18991230000000"},
        {37621.0 + 14.5 / 24, "20021231143000"},
        {37621.999999, "20030101000000"},  // rounds to the next day
        {-1.5, "18991229120000"},          // before the epoch the time still counts forward
        {-657434.0, "01000101000000"},     // Jet's first day
        {2958465.0 + 86399.0 / 86400, "99991231235959"},
        {2958466.0, ""},
        {-657435.0, ""},
        {std::nan(""), ""},
    };
    for (const Case& c : cases) EXPECT_EQ(JetDateCode(c.days), c.code) << c.days;
}

TEST(Jet3Text, ReadsTheProgramsCodePage) { EXPECT_EQ(Jet3TextToUtf8("\xB0\xA1"), "啊"); }

}  // namespace
}  // namespace zenta::jet
