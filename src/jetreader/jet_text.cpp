#include "jetreader/jet_text.h"

#include <cstdint>

#include "base/codepage.h"

namespace zenta::jet {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Joins UTF-16 code units into characters and writes them as UTF-8 into a buffer that the
// caller sized for the worst case (three bytes a unit, two a compressed byte).
class Utf8Writer {
public:
    explicit Utf8Writer(char* out) : out_(out) {}

    void Unit(char16_t u) {
        if (u < 0x80 && !high_) {
            *out_++ = static_cast<char>(u);
        } else if (u >= 0xDC00 && u <= 0xDFFF && high_) {
            Put(0x10000 + ((static_cast<char32_t>(high_ - 0xD800) << 10) | (u - 0xDC00)));
            high_ = 0;
        } else {
            Flush();
            if (u >= 0xD800 && u <= 0xDBFF)
                high_ = u;
            else
                Put(u >= 0xDC00 && u <= 0xDFFF ? kReplacement : u);
        }
    }
    // An unpaired high surrogate at the end becomes U+FFFD.
    void Flush() {
        if (high_) Put(kReplacement);
        high_ = 0;
    }
    void Replacement() { Put(kReplacement); }
    char* end() const { return out_; }

private:
    void Put(char32_t c) {
        if (c < 0x80) {
            *out_++ = static_cast<char>(c);
        } else if (c < 0x800) {
            *out_++ = static_cast<char>(0xC0 | (c >> 6));
            *out_++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *out_++ = static_cast<char>(0xE0 | (c >> 12));
            *out_++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *out_++ = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            *out_++ = static_cast<char>(0xF0 | (c >> 18));
            *out_++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *out_++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *out_++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }

    char* out_;
    char16_t high_ = 0;
};

}  // namespace

std::string Jet4TextToUtf8(std::string_view text) {
    auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const size_t size = text.size();
    std::string out(2 * size + 4, '\0');
    Utf8Writer writer(out.data());
    size_t i = 0;
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        bool compressed = true;
        for (i = 2; i < size;) {
            if (bytes[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                writer.Unit(bytes[i++]);
            } else if (i + 1 < size) {
                writer.Unit(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
                i += 2;
            } else {
                break;
            }
        }
    } else {
        for (; i + 1 < size; i += 2) writer.Unit(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    writer.Flush();
    if (i < size) writer.Replacement();
    out.resize(static_cast<size_t>(writer.end() - out.data()));
    return out;
}

std::string Jet3TextToUtf8(std::string_view bytes) { return FromNarrow(bytes); }

}  // namespace zenta::jet
