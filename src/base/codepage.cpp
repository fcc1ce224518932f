// Code page conversion with iconv, one converter per direction and thread.
#include "base/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace zenta {
namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    std::string Convert(std::string_view in) {
        std::string out;
        out.reserve(in.size() + in.size() / 2 + 8);
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        size_t left = in.size();
        char buffer[4096];
        while (left > 0) {
            char* dst = buffer;
            size_t room = sizeof buffer;
            size_t rc = iconv(cd_, &src, &left, &dst, &room);
            out.append(buffer, dst - buffer);
            if (rc == static_cast<size_t>(-1)) {
                if (errno == E2BIG) continue;
                // EILSEQ or EINVAL: an invalid or cut-off sequence; one byte becomes '?'.
                out.push_back('?');
                ++src;
                --left;
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        return out;
    }

private:
    iconv_t cd_;
};

bool IsAscii(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0x80) return false;
    return true;
}

}  // namespace

std::string ToNarrow(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    thread_local Converter converter("GB18030", "UTF-8");
    return converter.Convert(utf8);
}

std::string FromNarrow(std::string_view narrow) {
    if (IsAscii(narrow)) return std::string(narrow);
    thread_local Converter converter("UTF-8", "GB18030");
    return converter.Convert(narrow);
}

std::string NarrowStart(std::string_view narrow, size_t bytes) {
    size_t at = 0;
    while (at < narrow.size() && at < bytes) {
        unsigned char c = narrow[at];
        at += c >= 0x81 && c <= 0xFE ? 2 : 1;
    }
    return std::string(narrow.substr(0, std::min(at, narrow.size())));
}

}  // namespace zenta
