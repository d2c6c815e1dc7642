// Shift-JIS (code page 932) and JIS X 0208 code arithmetic: titles and glyph
// codes travel as JIS codes, the PC keeps Shift-JIS text. Our own code rather
// than the run-time library's, whose result depends on the process code page.
#pragma once

#include <cstdint>

constexpr uint16_t kJisFullWidthSpace = 0x2121;
constexpr uint16_t kJisHighestTitleCode = 0x7C7E;

// True for a Shift-JIS lead byte (0x81..0x9F, 0xE0..0xFC).
bool IsShiftJisLeadByte(unsigned char byte);

// The plain arithmetic Shift-JIS to JIS X 0208 rule: 0 for an invalid lead or
// trail byte or a result outside 0x2121..0x7E7E.
uint16_t ShiftJisToJisRaw(uint16_t sjis);

// Code page 932 duplicates the NEC-selected IBM extensions (0xED40..0xEEFC) in
// the IBM extension block (0xFA40..0xFC4B). Returns the code to convert: the
// NEC-selected duplicate for an IBM extension code, 0 for a code at or above
// 0xFA40 that has none, and the code itself below 0xFA40.
uint16_t ReplaceIbmExtension(uint16_t sjis);

// The title and glyph rule: IBM extension replacement, then the arithmetic.
// 0 when the character has no JIS code.
uint16_t ShiftJisToJis(uint16_t sjis);

// JIS X 0208 to Shift-JIS; 0 when either byte lies outside 0x21..0x7E.
uint16_t JisToShiftJis(uint16_t jis);
