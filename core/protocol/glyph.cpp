#include "protocol/glyph.h"

#include "protocol/jis.h"

namespace {

const GlyphSizeInfo kSizes[3] = {
    {288, 48, 10, 70, 14, 'L', "txl"},
    {128, 32, 15, 160, 21, 'M', "txm"},
    {72, 24, 20, 256, 28, 'S', "txs"},
};

bool DotIndex(int sizeType, int row, int column, int& index)
{
    const int side = GlyphSizeOf(sizeType).dotsPerSide;
    if (row < 0 || row >= side || column < 0 || column >= side)
        return false;
    index = row * side + column;
    return true;
}

} // namespace

const GlyphSizeInfo& GlyphSizeOf(int sizeType)
{
    if (sizeType == kGlyphMedium)
        return kSizes[kGlyphMedium];
    if (sizeType == kGlyphSmall)
        return kSizes[kGlyphSmall];
    return kSizes[kGlyphLarge];
}

uint16_t GlyphCodeOfSlot(int slot)
{
    const int n = slot + 68;
    return static_cast<uint16_t>(0xA300 + (n / 94) * 256 + (n % 94) + 0x21);
}

uint16_t GlyphCodeOfSample(const char* sample)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(sample);
    uint16_t code = static_cast<uint16_t>(bytes[0] << 8);
    if (bytes[0] != 0)
        code = static_cast<uint16_t>(code | bytes[1]);
    const uint16_t jis = ShiftJisToJis(code);
    return jis == 0 ? kJisFullWidthSpace : jis;
}

bool GetGlyphDot(const unsigned char* bitmap, int sizeType, int row, int column)
{
    int i;
    if (!DotIndex(sizeType, row, column, i))
        return false;
    return (bitmap[i / 8] >> (7 - i % 8)) & 1;
}

void SetGlyphDot(unsigned char* bitmap, int sizeType, int row, int column, bool lit)
{
    int i;
    if (!DotIndex(sizeType, row, column, i))
        return;
    const unsigned char mask = static_cast<unsigned char>(0x80 >> (i % 8));
    if (lit)
        bitmap[i / 8] = static_cast<unsigned char>(bitmap[i / 8] | mask);
    else
        bitmap[i / 8] = static_cast<unsigned char>(bitmap[i / 8] & ~mask);
}
