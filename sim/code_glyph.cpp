#include "sim/code_glyph.h"

#include <cstring>

#include "protocol/glyph.h"
#include "protocol/jis.h"

namespace {

// Hexadecimal digits in 3 x 5 dots, one row per entry, bit 2 = left column.
const unsigned char kDigitRows[16][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7},
    {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1},
    {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}, {7, 5, 7, 5, 5}, {6, 5, 6, 5, 6},
    {7, 4, 4, 4, 7}, {6, 5, 5, 5, 6}, {7, 4, 7, 4, 7}, {7, 4, 7, 4, 4},
};

void DrawDigit(unsigned char* bitmap, int sizeType, int digit, int top, int left, int scale)
{
    for (int row = 0; row < 5; ++row)
        for (int column = 0; column < 3; ++column) {
            if (!((kDigitRows[digit][row] >> (2 - column)) & 1))
                continue;
            for (int dy = 0; dy < scale; ++dy)
                for (int dx = 0; dx < scale; ++dx)
                    SetGlyphDot(bitmap, sizeType, top + row * scale + dy, left + column * scale + dx, true);
        }
}

} // namespace

void DrawCodeGlyph(uint16_t jisCode, int sizeType, unsigned char* bitmap)
{
    const GlyphSizeInfo& size = GlyphSizeOf(sizeType);
    memset(bitmap, 0, static_cast<size_t>(size.bitmapBytes));
    if (jisCode == kJisFullWidthSpace)
        return;

    const int side = size.dotsPerSide;
    for (int i = 1; i < side - 1; ++i) {
        SetGlyphDot(bitmap, sizeType, 1, i, true);
        SetGlyphDot(bitmap, sizeType, side - 2, i, true);
        SetGlyphDot(bitmap, sizeType, i, 1, true);
        SetGlyphDot(bitmap, sizeType, i, side - 2, true);
    }

    // Two rows of two digits with one blank dot (times the scale) between them.
    const int scale = side / 16;
    const int width = 7 * scale;
    const int height = 11 * scale;
    const int left = (side - width) / 2;
    const int top = (side - height) / 2;
    DrawDigit(bitmap, sizeType, (jisCode >> 12) & 0xF, top, left, scale);
    DrawDigit(bitmap, sizeType, (jisCode >> 8) & 0xF, top, left + 4 * scale, scale);
    DrawDigit(bitmap, sizeType, (jisCode >> 4) & 0xF, top + 6 * scale, left, scale);
    DrawDigit(bitmap, sizeType, jisCode & 0xF, top + 6 * scale, left + 4 * scale, scale);
}
