// Code page 932 (Shift-JIS as Windows writes it) and Unicode, by the
// program's own table (cp932_table.h): every build converts alike, whatever
// its system's converter would do. Decoding is Microsoft's mapping exactly.
// Encoding gives the code Windows gives: for a character with two or three
// codes (the NEC and IBM duplicates) its JIS X 0208 code, else its NEC row 13
// code, else its IBM extension code, never its NEC-selected IBM extension
// code (0xED40..0xEEFC). It also takes, one way, the JIS X 0208 characters
// that Windows maps elsewhere, so that a title typed on any system gives one
// code: U+2212 MINUS SIGN (0x817C, which decodes as U+FF0D), U+301C WAVE
// DASH, U+2016, U+00A2, U+00A3 and U+00AC. Nothing else is replaced by a
// look-alike.
#pragma once

#include <cstddef>
#include <cstdint>

// The character of a code: a single byte 0x00..0xFF, or lead << 8 | trail.
// False when code page 932 has none (a lead byte alone is none).
bool Cp932ToUnicode(uint16_t code, uint16_t& character);

// The code of a character; false when code page 932 has none.
bool UnicodeToCp932(uint32_t character, uint16_t& code);

// The character of the code at `at`, moving `at` past its one or two bytes;
// false, with `at` unchanged, when the bytes there are no code page 932
// character (or `at` is at the end).
bool NextCp932(const char* text, size_t size, size_t& at, uint16_t& character);
