#include "files/glyph_file.h"

#include "files/settings_file.h"
#include "link/text_conversions.h"
#include "protocol/glyph.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// A glyph file is a few hundred bytes; anything much larger is not one.
const size_t kGlyphFileLimit = 64 * 1024;

} // namespace

void FormatGlyphFile(const unsigned char* bitmap, int sizeType, std::string& text)
{
    const int bytes = GlyphSizeOf(sizeType).bitmapBytes;
    text.assign(static_cast<size_t>(2 * bytes), '0');
    for (int i = 0; i < bytes; ++i)
        FormatHex(bitmap[i], &text[static_cast<size_t>(2 * i)], 2, true);
    text += "\r\n";
}

bool ParseGlyphFile(const char* data, size_t size, int sizeType, unsigned char* bitmap)
{
    size_t start = 0;
    while (start < size && IsBlank(data[start]))
        ++start;
    size_t end = start;
    while (end < size && !IsBlank(data[end]))
        ++end;

    const int bytes = GlyphSizeOf(sizeType).bitmapBytes;
    if (end - start != static_cast<size_t>(2 * bytes) || !IsHexDigits(data + start, 2 * bytes))
        return false;
    for (int i = 0; i < bytes; ++i)
        bitmap[i] = static_cast<unsigned char>(ParseHex(data + start + 2 * i, 2));
    return true;
}

bool WriteGlyphFile(FILE* file, const unsigned char* bitmap, int sizeType)
{
    std::string text;
    FormatGlyphFile(bitmap, sizeType, text);
    return WriteWholeFile(file, text);
}

bool ReadGlyphFile(FILE* file, int sizeType, unsigned char* bitmap)
{
    std::string data;
    if (!ReadWholeFile(file, data, kGlyphFileLimit))
        return false;
    return ParseGlyphFile(data.data(), data.size(), sizeType, bitmap);
}
