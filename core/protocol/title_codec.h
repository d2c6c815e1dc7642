// Titles between the model's Shift-JIS text and the unit's JIS codes.
#pragma once

#include <cstdint>

enum TitleCheck {
    kTitleOk = 0,
    kTitleBadLength,  // odd byte count or more than 56 bytes (half-width characters, too long)
    kTitleNoJisCode,  // a character the unit cannot show
    kTitleAsterisk,   // a "＊", which the settings file cannot keep
};

// Fills the title up to 28 double-byte characters with full-width spaces and
// converts every character to its JIS X 0208 code, 2121..7C7E. A "＊" is
// refused: the settings file cannot keep it. The title itself is not
// changed. On refusal `codes` is unspecified.
TitleCheck EncodeTitle(const char* title, uint16_t (&codes)[28]);

// Decodes `count` (14, 21 or 28) codes of 4 hexadecimal digits each into a
// 58-byte slot: codes above 0x7C7E, "＊" (2176), codes that are no JIS code and the
// positions beyond `count` become full-width spaces; trailing 0x2121 codes are
// dropped, but a space that stands for an unknown code stays and ends the
// dropping. The hex digits must have been checked by the caller.
void DecodeTitle(const char* hexCodes, int count, char* slot);
