// Turns the raw bytes of a Jet text or memo value into UTF-8, losing no character.
#pragma once

#include <string>
#include <string_view>

namespace zenta::jet {

// Jet 4 text: UTF-16LE, or the compressed form (FF FE, then runs of one byte per character
// and of two bytes per character, each 00 byte switching between them). Characters outside
// the Basic Multilingual Plane come through whole; an unpaired surrogate or a cut-off unit
// becomes U+FFFD.
std::string Jet4TextToUtf8(std::string_view bytes);

// Jet 3 text: bytes in the file's narrow code page, taken as the program's own (GBK).
std::string Jet3TextToUtf8(std::string_view bytes);

}  // namespace zenta::jet
