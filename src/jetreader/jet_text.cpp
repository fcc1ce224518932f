#include "jetreader/jet_text.h"

#include <cstdint>

#include "base/codepage.h"

namespace zenta::jet {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Joins UTF-16 code units into characters; a high surrogate waits for its partner.
class Utf16Decoder {
public:
    explicit Utf16Decoder(std::string& out) : out_(out) {}
    ~Utf16Decoder() { Flush(); }
    Utf16Decoder(const Utf16Decoder&) = delete;
    Utf16Decoder& operator=(const Utf16Decoder&) = delete;

    void Unit(char16_t u) {
        if (u >= 0xDC00 && u <= 0xDFFF && high_) {
            AppendUtf8(out_, 0x10000 + ((static_cast<char32_t>(high_ - 0xD800) << 10) | (u - 0xDC00)));
            high_ = 0;
            return;
        }
        Flush();
        if (u >= 0xD800 && u <= 0xDBFF) {
            high_ = u;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            AppendUtf8(out_, kReplacement);
        } else {
            AppendUtf8(out_, u);
        }
    }
    void Flush() {
        if (high_) AppendUtf8(out_, kReplacement);
        high_ = 0;
    }

private:
    std::string& out_;
    char16_t high_ = 0;
};

char16_t UnitAt(std::string_view bytes, size_t i) {
    return static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
}

}  // namespace

std::string Jet4TextToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    Utf16Decoder decoder(out);
    size_t i = 0;
    if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF && static_cast<uint8_t>(bytes[1]) == 0xFE) {
        bool compressed = true;
        for (i = 2; i < bytes.size();) {
            if (bytes[i] == '\0') {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                decoder.Unit(static_cast<uint8_t>(bytes[i++]));
            } else if (i + 1 < bytes.size()) {
                decoder.Unit(UnitAt(bytes, i));
                i += 2;
            } else {
                break;
            }
        }
    } else {
        for (; i + 1 < bytes.size(); i += 2) decoder.Unit(UnitAt(bytes, i));
    }
    decoder.Flush();
    if (i < bytes.size()) AppendUtf8(out, kReplacement);
    return out;
}

std::string Jet3TextToUtf8(std::string_view bytes) { return FromNarrow(bytes); }

}  // namespace zenta::jet
