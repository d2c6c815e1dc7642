#include <cstdio>
#include <cstring>
#include <string>

#include "files/glyph_file.h"
#include "protocol/device_model.h"
#include "protocol/glyph.h"
#include "test_support.h"

TEST(GlyphCodes, RegistrationSlots)
{
    EXPECT_EQ(GlyphCodeOfSlot(0), 0xA365);
    EXPECT_EQ(GlyphCodeOfSlot(25), 0xA37E);
    EXPECT_EQ(GlyphCodeOfSlot(26), 0xA421);
    EXPECT_EQ(GlyphCodeOfSlot(69), 0xA44C);
    EXPECT_EQ(GlyphCodeOfSlot(119), 0xA47E);
    EXPECT_EQ(GlyphCodeOfSlot(159), 0xA548);
    EXPECT_EQ(GlyphCodeOfSlot(213), 0xA57E);
    EXPECT_EQ(GlyphCodeOfSlot(255), 0xA64A);
    for (int slot = 0; slot < 256; ++slot) {
        const int low = GlyphCodeOfSlot(slot) & 0xFF;
        ASSERT_GE(low, 0x21);
        ASSERT_LE(low, 0x7E);
    }
}

TEST(GlyphCodes, Samples)
{
    EXPECT_EQ(GlyphCodeOfSample("\x82\x60"), 0x2341);
    EXPECT_EQ(GlyphCodeOfSample("A"), 0x2121);
    EXPECT_EQ(GlyphCodeOfSample(""), 0x2121);
    EXPECT_EQ(GlyphCodeOfSample("\xB1"), 0x2121);       // half-width katakana
    EXPECT_EQ(GlyphCodeOfSample("\xF0\x40"), 0x2121);   // user-defined
    EXPECT_EQ(GlyphCodeOfSample("\xFA\x55"), 0x7C7C);
}

TEST(GlyphSizes, Table)
{
    EXPECT_EQ(GlyphSizeOf(kGlyphSmall).bitmapBytes, 72);
    EXPECT_EQ(GlyphSizeOf(kGlyphSmall).dotsPerSide * GlyphSizeOf(kGlyphSmall).gridSquare, 480);
    EXPECT_EQ(GlyphSizeOf(kGlyphMedium).dotsPerSide, 32);
    EXPECT_EQ(GlyphSizeOf(kGlyphMedium).slotCount, 160);
    EXPECT_EQ(GlyphSizeOf(kGlyphLarge).titlePositions, 14);
    EXPECT_EQ(GlyphSizeOf(kGlyphLarge).letter, 'L');
    EXPECT_STREQ(GlyphSizeOf(kGlyphSmall).extension, "txs");
    EXPECT_EQ(GlyphSizeOf(7).letter, 'L');
}

TEST(GlyphDots, Addressing)
{
    unsigned char bitmap[kGlyphBitmapBytes] = {};
    // SMALL dot (1,1) is dot number 25: bit 6 of byte 3.
    SetGlyphDot(bitmap, kGlyphSmall, 1, 1, true);
    EXPECT_EQ(bitmap[3], 0x40);
    EXPECT_TRUE(GetGlyphDot(bitmap, kGlyphSmall, 1, 1));
    EXPECT_FALSE(GetGlyphDot(bitmap, kGlyphSmall, 1, 2));
    SetGlyphDot(bitmap, kGlyphSmall, 0, 0, true);
    EXPECT_EQ(bitmap[0], 0x80);
    SetGlyphDot(bitmap, kGlyphLarge, 47, 47, true);
    EXPECT_EQ(bitmap[287], 0x01);
    SetGlyphDot(bitmap, kGlyphMedium, 31, 0, true);
    EXPECT_EQ(bitmap[124], 0x80);
    SetGlyphDot(bitmap, kGlyphSmall, 1, 1, false);
    EXPECT_EQ(bitmap[3], 0x00);
    // Outside the grid nothing is touched.
    unsigned char before[kGlyphBitmapBytes];
    memcpy(before, bitmap, sizeof bitmap);
    SetGlyphDot(bitmap, kGlyphSmall, 24, 0, true);
    SetGlyphDot(bitmap, kGlyphSmall, 0, -1, true);
    EXPECT_EQ(0, memcmp(before, bitmap, sizeof bitmap));
    EXPECT_FALSE(GetGlyphDot(bitmap, kGlyphSmall, -1, 0));
}

TEST(GlyphFile, WritesOneLineOfUpperCaseHex)
{
    unsigned char bitmap[kGlyphBitmapBytes] = {};
    bitmap[0] = 0x80;
    std::string text;
    FormatGlyphFile(bitmap, kGlyphSmall, text);
    EXPECT_EQ(text, "80" + std::string(142, '0') + "\r\n");
    bitmap[287] = 0xAB;
    FormatGlyphFile(bitmap, kGlyphLarge, text);
    EXPECT_EQ(text.size(), 578u);
    EXPECT_EQ(text.substr(574), "AB\r\n");
    FormatGlyphFile(bitmap, kGlyphMedium, text);
    EXPECT_EQ(text.size(), 258u);
}

TEST(GlyphFile, ReadsTheFirstWordInEitherCase)
{
    unsigned char bitmap[kGlyphBitmapBytes] = {};
    const std::string word = "ab" + std::string(140, '0') + "Cd";
    const std::string text = "  \r\n" + word + "\r\nignored rest";
    ASSERT_TRUE(ParseGlyphFile(text.data(), text.size(), kGlyphSmall, bitmap));
    EXPECT_EQ(bitmap[0], 0xAB);
    EXPECT_EQ(bitmap[71], 0xCD);
    EXPECT_EQ(bitmap[72], 0x00);
    // Without any line end too.
    ASSERT_TRUE(ParseGlyphFile(word.data(), word.size(), kGlyphSmall, bitmap));
}

TEST(GlyphFile, RefusesWrongWordsWithoutTouchingTheBitmap)
{
    unsigned char bitmap[kGlyphBitmapBytes];
    memset(bitmap, 0x5A, sizeof bitmap);
    const std::string tooShort = std::string(142, 'F');
    const std::string tooLong = std::string(146, 'F');
    const std::string notHex = std::string(143, 'F') + "G";
    const std::string medium = std::string(256, 'F');
    EXPECT_FALSE(ParseGlyphFile(tooShort.data(), tooShort.size(), kGlyphSmall, bitmap));
    EXPECT_FALSE(ParseGlyphFile(tooLong.data(), tooLong.size(), kGlyphSmall, bitmap));
    EXPECT_FALSE(ParseGlyphFile(notHex.data(), notHex.size(), kGlyphSmall, bitmap));
    EXPECT_FALSE(ParseGlyphFile(medium.data(), medium.size(), kGlyphLarge, bitmap));
    EXPECT_FALSE(ParseGlyphFile("", 0, kGlyphSmall, bitmap));
    for (unsigned char b : bitmap)
        ASSERT_EQ(b, 0x5A);
}

TEST(GlyphFile, RoundTripThroughStdio)
{
    unsigned char bitmap[kGlyphBitmapBytes] = {};
    for (int i = 0; i < 128; ++i)
        bitmap[i] = static_cast<unsigned char>(i * 7);
    const char* path = "glyph_test.txm";
    FILE* out = fopen(path, "wb");
    ASSERT_NE(out, nullptr);
    ASSERT_TRUE(WriteGlyphFile(out, bitmap, kGlyphMedium));
    fclose(out);
    unsigned char back[kGlyphBitmapBytes] = {};
    FILE* in = fopen(path, "rb");
    ASSERT_NE(in, nullptr);
    EXPECT_TRUE(ReadGlyphFile(in, kGlyphMedium, back));
    fclose(in);
    remove(path);
    EXPECT_EQ(0, memcmp(bitmap, back, 128));
}
