// Glyph files (*.txs, *.txm, *.txl): one line holding the used bytes of a
// glyph bitmap as upper-case hexadecimal pairs, then CR LF. The extension
// alone tells the size.
#pragma once

#include <cstdio>
#include <string>

void FormatGlyphFile(const unsigned char* bitmap, int sizeType, std::string& text);
// Takes the first whitespace-delimited word; it must be exactly the size's
// digit count (144, 256 or 576) of hexadecimal digits, either case. Returns
// false and leaves the bitmap unchanged otherwise.
bool ParseGlyphFile(const char* data, size_t size, int sizeType, unsigned char* bitmap);

bool WriteGlyphFile(FILE* file, const unsigned char* bitmap, int sizeType);
bool ReadGlyphFile(FILE* file, int sizeType, unsigned char* bitmap);
