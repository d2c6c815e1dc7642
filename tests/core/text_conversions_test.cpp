#include <gtest/gtest.h>

#include <string>

#include "link/text_conversions.h"

TEST(TextConversions, FormatDecimalPadsWithZeros)
{
    char text[4] = "xxx";
    FormatDecimal(7, text, 2);
    EXPECT_EQ(std::string(text, 3), "07x");
    FormatDecimal(0, text, 3);
    EXPECT_EQ(std::string(text, 3), "000");
    FormatDecimal(192, text, 3);
    EXPECT_EQ(std::string(text, 3), "192");
}

TEST(TextConversions, FormatDecimalNeverWritesAnythingButDigits)
{
    char text[3] = {0, 0, 'z'};
    FormatDecimal(-5, text, 2);
    EXPECT_EQ(std::string(text, 3), "00z");
    FormatDecimal(123, text, 2);
    EXPECT_EQ(std::string(text, 3), "23z");
}

TEST(TextConversions, FormatHexCase)
{
    char text[5] = "....";
    FormatHex(255, text, 2, true);
    EXPECT_EQ(std::string(text, 2), "FF");
    FormatHex(255, text, 2, false);
    EXPECT_EQ(std::string(text, 2), "ff");
    FormatHex(0xA365, text, 4, true);
    EXPECT_EQ(std::string(text, 4), "A365");
    FormatHex(0x21, text, 4, true);
    EXPECT_EQ(std::string(text, 4), "0021");
}

TEST(TextConversions, Parsers)
{
    EXPECT_EQ(ParseHexByte("3A"), 58);
    EXPECT_EQ(ParseHexByte("ff"), 255);
    EXPECT_EQ(ParseHex("a365", 4), 0xA365);
    EXPECT_EQ(ParseHex("A365", 4), 0xA365);
    EXPECT_EQ(ParseDecimal("0123", 4), 123);
    EXPECT_EQ(ParseDecimal("99x", 2), 99);
    EXPECT_EQ(ParseTwoDigits("64"), 64);
    EXPECT_EQ(ParseTwoDigits("07"), 7);
}

TEST(TextConversions, FormatTwoDigits)
{
    char text[2];
    FormatTwoDigits(5, text);
    EXPECT_EQ(std::string(text, 2), "05");
    FormatTwoDigits(31, text);
    EXPECT_EQ(std::string(text, 2), "31");
}

TEST(TextConversions, Validators)
{
    EXPECT_TRUE(IsDecimalDigits("0123456789", 10));
    EXPECT_FALSE(IsDecimalDigits("12a", 3));
    EXPECT_FALSE(IsDecimalDigits("1\0" "2", 3));
    EXPECT_TRUE(IsHexDigits("09afAF", 6));
    EXPECT_FALSE(IsHexDigits("0G", 2));
}
