#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "protocol/jis.h"

#ifndef _WIN32
#include <iconv.h>
#endif

TEST(ShiftJisToJis, KnownCharacters)
{
    EXPECT_EQ(ShiftJisToJis(0x8140), 0x2121);  // full-width space
    EXPECT_EQ(ShiftJisToJis(0x8262), 0x2343);  // Ｃ
    EXPECT_EQ(ShiftJisToJis(0x8267), 0x2348);  // Ｈ
    EXPECT_EQ(ShiftJisToJis(0x824F), 0x2330);  // ０
    EXPECT_EQ(ShiftJisToJis(0x8260), 0x2341);  // Ａ
    EXPECT_EQ(ShiftJisToJis(0x889F), 0x3021);  // 亜, first kanji of level 1
    EXPECT_EQ(ShiftJisToJis(0xEAA4), 0x7426);  // last kanji of level 2
}

TEST(ShiftJisToJis, RefusesWhatHasNoJisCode)
{
    EXPECT_EQ(ShiftJisToJis(0x4142), 0);  // "AB": two half-width letters
    EXPECT_EQ(ShiftJisToJis(0x8120), 0);  // trail byte below 0x40
    EXPECT_EQ(ShiftJisToJis(0x817F), 0);  // 0x7F is no trail byte
    EXPECT_EQ(ShiftJisToJis(0x81FD), 0);  // trail byte above 0xFC
    EXPECT_EQ(ShiftJisToJis(0xB140), 0);  // half-width katakana lead
    EXPECT_EQ(ShiftJisToJis(0xF040), 0);  // user-defined area: beyond 0x7E7E
    EXPECT_EQ(ShiftJisToJis(0xF9FC), 0);
    EXPECT_EQ(ShiftJisToJis(0xFA4A), 0);  // IBM extensions without an NEC twin
    EXPECT_EQ(ShiftJisToJis(0xFA54), 0);
    EXPECT_EQ(ShiftJisToJis(0xFA58), 0);
    EXPECT_EQ(ShiftJisToJis(0xFA5B), 0);
    EXPECT_EQ(ShiftJisToJis(0xFC4C), 0);  // past the end of the IBM block
    EXPECT_EQ(ShiftJisToJis(0xFCFC), 0);
}

TEST(ShiftJisToJis, IbmExtensionsGoThroughTheirNecSelectedTwins)
{
    // Small roman numerals: the direct rule is code - 0x7DCF.
    for (uint16_t s = 0xFA40; s <= 0xFA49; ++s)
        EXPECT_EQ(ShiftJisToJis(s), s - 0x7DCF) << std::hex << s;
    for (uint16_t s = 0xFA55; s <= 0xFA57; ++s)
        EXPECT_EQ(ShiftJisToJis(s), s - 0x7DD9) << std::hex << s;
    EXPECT_EQ(ShiftJisToJis(0xFA40), 0x7C71);
    EXPECT_EQ(ShiftJisToJis(0xFA5C), 0x7921);   // becomes 0xED40 first
    EXPECT_EQ(ReplaceIbmExtension(0xFA5C), 0xED40);
    EXPECT_EQ(ReplaceIbmExtension(0xFA7E), 0xED62);
    EXPECT_EQ(ReplaceIbmExtension(0xFA80), 0xED63);
    EXPECT_EQ(ReplaceIbmExtension(0xFA9B), 0xED7E);
    EXPECT_EQ(ReplaceIbmExtension(0xFA9C), 0xED80);
    EXPECT_EQ(ReplaceIbmExtension(0xFAFC), 0xEDE0);
    EXPECT_EQ(ReplaceIbmExtension(0xFB40), 0xEDE1);
    EXPECT_EQ(ReplaceIbmExtension(0xFB5B), 0xEDFC);
    EXPECT_EQ(ReplaceIbmExtension(0xFB5C), 0xEE40);
    EXPECT_EQ(ReplaceIbmExtension(0xFB9B), 0xEE7E);
    EXPECT_EQ(ReplaceIbmExtension(0xFBFC), 0xEEE0);
    EXPECT_EQ(ReplaceIbmExtension(0xFC40), 0xEEE1);
    EXPECT_EQ(ReplaceIbmExtension(0xFC4B), 0xEEEC);
    EXPECT_EQ(ReplaceIbmExtension(0x889F), 0x889F);
}

TEST(JisToShiftJis, InvertsTheArithmeticOverEveryCode)
{
    int valid = 0;
    for (unsigned j1 = 0x21; j1 <= 0x7E; ++j1) {
        for (unsigned j2 = 0x21; j2 <= 0x7E; ++j2) {
            const uint16_t jis = static_cast<uint16_t>(j1 << 8 | j2);
            const uint16_t sjis = JisToShiftJis(jis);
            ASSERT_NE(sjis, 0) << std::hex << jis;
            ASSERT_EQ(ShiftJisToJisRaw(sjis), jis) << std::hex << jis;
            ++valid;
        }
    }
    EXPECT_EQ(valid, 94 * 94);
    EXPECT_EQ(JisToShiftJis(0x2121), 0x8140);
    EXPECT_EQ(JisToShiftJis(0x7426), 0xEAA4);
    EXPECT_EQ(JisToShiftJis(0x2020), 0);
    EXPECT_EQ(JisToShiftJis(0x217F), 0);
    EXPECT_EQ(JisToShiftJis(0x7F21), 0);
}

#ifndef _WIN32

namespace {

// Converts one double-byte sequence with glibc's iconv; returns the output
// length, or -1 when iconv does not know the character.
int Convert(iconv_t cd, const unsigned char* in, size_t inLength, unsigned char* out, size_t outSize)
{
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* src = reinterpret_cast<char*>(const_cast<unsigned char*>(in));
    char* dst = reinterpret_cast<char*>(out);
    size_t srcLeft = inLength;
    size_t dstLeft = outSize;
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1) || srcLeft != 0)
        return -1;
    return static_cast<int>(outSize - dstLeft);
}

} // namespace

// EUC-JP carries the JIS X 0208 code with 0x80 added to each byte, so glibc
// gives an independent answer for every character both encodings know.
TEST(ShiftJisToJis, AgreesWithIconvOverEveryDoubleByteCode)
{
    iconv_t cd = iconv_open("EUC-JP", "SHIFT_JIS");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    int compared = 0;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            const unsigned char in[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
            unsigned char out[8];
            const int n = Convert(cd, in, 2, out, sizeof out);
            if (n != 2 || out[0] < 0xA1 || out[0] > 0xFE || out[1] < 0xA1)
                continue;   // not a JIS X 0208 character in glibc's tables
            const uint16_t expected = static_cast<uint16_t>((out[0] - 0x80) << 8 | (out[1] - 0x80));
            ASSERT_EQ(ShiftJisToJis(static_cast<uint16_t>(lead << 8 | trail)), expected)
                << std::hex << lead << trail;
            ASSERT_EQ(JisToShiftJis(expected), (lead << 8 | trail)) << std::hex << expected;
            ++compared;
        }
    }
    iconv_close(cd);
    EXPECT_GT(compared, 6800);   // every assigned JIS X 0208 character
}

// Code page 932 maps an IBM extension and its NEC-selected twin to the same
// character; glibc's CP932 decoder checks our replacement table.
TEST(ShiftJisToJis, IbmReplacementsAreTheSameCharacterInCodePage932)
{
    iconv_t cd = iconv_open("UTF-8", "CP932");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    int compared = 0;
    for (unsigned s = 0xFA40; s <= 0xFC4B; ++s) {
        const uint16_t twin = ReplaceIbmExtension(static_cast<uint16_t>(s));
        const unsigned char in[2] = {static_cast<unsigned char>(s >> 8), static_cast<unsigned char>(s & 0xFF)};
        unsigned char original[8];
        const int n = Convert(cd, in, 2, original, sizeof original);
        if (n <= 0)
            continue;   // not a character of code page 932
        if (twin == 0) {
            // Only the IBM codes that have no NEC twin may be refused.
            const bool noTwin = (s >= 0xFA4A && s <= 0xFA54) || (s >= 0xFA58 && s <= 0xFA5B);
            EXPECT_TRUE(noTwin) << std::hex << s;
            continue;
        }
        const unsigned char twinBytes[2] = {static_cast<unsigned char>(twin >> 8),
                                            static_cast<unsigned char>(twin & 0xFF)};
        unsigned char replaced[8];
        const int m = Convert(cd, twinBytes, 2, replaced, sizeof replaced);
        ASSERT_EQ(m, n) << std::hex << s;
        EXPECT_EQ(0, memcmp(original, replaced, static_cast<size_t>(n))) << std::hex << s;
        ++compared;
    }
    iconv_close(cd);
    EXPECT_EQ(compared, 388 - 15);   // the whole IBM block but the 15 codes without a twin
}

#endif
