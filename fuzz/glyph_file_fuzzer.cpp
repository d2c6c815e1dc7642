// The glyph file reader. Input: a size byte (taken modulo 3: LARGE, MEDIUM,
// SMALL), then the file's bytes.
//
// Invariants: a refused file leaves the bitmap byte-for-byte as it was; an
// accepted file, written out again and read back, gives the same bitmap, and
// only the bitmap's used bytes change.
#include <string>

#include "fuzz_support.h"
#include "files/glyph_file.h"
#include "protocol/glyph.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int sizeType = data[0] % 3;
    const char* file = reinterpret_cast<const char*>(data + 1);
    const size_t fileSize = size - 1;
    const int used = GlyphSizeOf(sizeType).bitmapBytes;

    // A bitmap buffer of the model's size, filled with a pattern a reader
    // would not write by chance.
    unsigned char bitmap[kGlyphBitmapBytes];
    unsigned char before[kGlyphBitmapBytes];
    for (int i = 0; i < kGlyphBitmapBytes; ++i)
        bitmap[i] = static_cast<unsigned char>(0xA5 ^ i);
    memcpy(before, bitmap, sizeof before);

    if (!ParseGlyphFile(file, fileSize, sizeType, bitmap)) {
        KVR_FUZZ_CHECK(memcmp(bitmap, before, sizeof bitmap) == 0);
        return 0;
    }
    KVR_FUZZ_CHECK(memcmp(bitmap + used, before + used, sizeof bitmap - used) == 0);

    std::string text;
    FormatGlyphFile(bitmap, sizeType, text);
    KVR_FUZZ_CHECK(text.size() == static_cast<size_t>(2 * used + 2));
    unsigned char again[kGlyphBitmapBytes];
    memcpy(again, before, sizeof again);
    KVR_FUZZ_CHECK(ParseGlyphFile(text.data(), text.size(), sizeType, again));
    KVR_FUZZ_CHECK(memcmp(again, bitmap, sizeof again) == 0);
    return 0;
}
