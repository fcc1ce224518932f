// The button glyphs, drawn by the program so that they look the same on every desktop, and
// sharp at a screen scale of 1, 2 or 3.
#pragma once

#include <QIcon>

namespace zenta {

enum class Glyph { LeftArrow, RightArrow, StopSign, Globe, OpenBook, Magnifier, DiskWithArrow };

QIcon GlyphIcon(Glyph glyph, int size = 16);

}  // namespace zenta
