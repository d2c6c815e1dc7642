#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "protocol/device_model.h"
#include "protocol/title_codec.h"

namespace {

std::string Hex(const uint16_t (&codes)[28])
{
    std::string text;
    char digits[8];
    for (uint16_t code : codes) {
        snprintf(digits, sizeof digits, "%04X", code);
        text += digits;
    }
    return text;
}

} // namespace

// Every double-byte code: what the encoder sends, the decoder reads back as
// a character that is sent again as the same code; nothing sent comes back
// as a blank.
TEST(TitleCodec, EncodeAndDecodeAgreeOverTheWholeRange)
{
    int accepted = 0;
    for (int code = 0x8140; code <= 0xFCFC; ++code) {
        const char title[3] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF), '\0'};
        uint16_t codes[28];
        if (EncodeTitle(title, codes) != kTitleOk)
            continue;
        ++accepted;
        ASSERT_LE(codes[0], 0x7C7E) << std::hex << code;
        char slot[kTitleSlotBytes];
        DecodeTitle(Hex(codes).c_str(), 28, slot);
        if (codes[0] == 0x2121) {
            EXPECT_STREQ(slot, "");
            continue;
        }
        ASSERT_EQ(strlen(slot), 2u) << std::hex << code;
        uint16_t again[28];
        ASSERT_EQ(EncodeTitle(slot, again), kTitleOk) << std::hex << code;
        EXPECT_EQ(again[0], codes[0]) << std::hex << code;
    }
    EXPECT_GT(accepted, 6000);
}

TEST(TitleCodec, AnAsteriskAndTheTopCodesAreRefused)
{
    uint16_t codes[28];
    EXPECT_EQ(EncodeTitle("\x81\x96", codes), kTitleAsterisk);   // ＊
    EXPECT_EQ(EncodeTitle("\xEF\x40", codes), kTitleNoJisCode);   // would be 7D21
    char slot[kTitleSlotBytes];
    DecodeTitle("23412176", 2, slot);                               // Ａ＊
    EXPECT_STREQ(slot, "\x82\x60\x81\x40");
}
