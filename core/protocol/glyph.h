// User-defined glyphs: the three sizes, the glyph codes of the registration
// slots, and the dot layout of GlyphBitmap.
#pragma once

#include <cstdint>

// Size type numbers as the program codes them.
enum GlyphSize { kGlyphLarge = 0, kGlyphMedium = 1, kGlyphSmall = 2 };

struct GlyphSizeInfo {
    int bitmapBytes;     // 288, 128, 72
    int dotsPerSide;     // 48, 32, 24
    int gridSquare;      // pixels per dot in the editor: 10, 15, 20
    int slotCount;       // registration slots: 70, 160, 256
    int titlePositions;  // 14, 21, 28
    char letter;         // 'L', 'M', 'S'
    const char* extension; // "txl", "txm", "txs"
};

// The size of a type number; anything but MEDIUM and SMALL counts as LARGE,
// as the size letter rule has it.
const GlyphSizeInfo& GlyphSizeOf(int sizeType);

// The glyph code of a 0-based registration slot (the same in every size):
// 0xA300 + 256 * ((slot + 68) div 94) + (slot + 68) mod 94 + 0x21.
uint16_t GlyphCodeOfSlot(int slot);

// The JIS code a Shift-JIS sample asks for: the first two bytes taken as one
// code, converted by the title rule; 0x2121 when it has no JIS code.
uint16_t GlyphCodeOfSample(const char* sample);

// Dot (row, column) of the bitmap, rows from the top, columns from the left;
// the most significant bit of a byte is its leftmost dot.
bool GetGlyphDot(const unsigned char* bitmap, int sizeType, int row, int column);
void SetGlyphDot(unsigned char* bitmap, int sizeType, int row, int column, bool lit);
