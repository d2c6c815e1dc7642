// The tables of code page 932 (cp932.h), written by scripts/make_cp932_table.py
// into cp932_table.cpp. Both are sorted by their first member, for a binary
// search.
#pragma once

#include <cstddef>
#include <cstdint>

struct Cp932Pair {
    uint16_t key;
    uint16_t value;
};

// {code, character}: every code Windows decodes (a byte, or lead << 8 |
// trail), except the user-defined area 0xF040..0xF9FC, which is arithmetic.
extern const Cp932Pair kCp932ToUnicode[];
extern const size_t kCp932ToUnicodeCount;

// {character, code}: the code Windows encodes each of those characters to,
// and, one way only, the JIS X 0208 characters Windows maps elsewhere
// (U+2212 to 0x817C, U+301C to 0x8160, U+2016 to 0x8161, U+00A2 to 0x8191,
// U+00A3 to 0x8192, U+00AC to 0x81CA).
extern const Cp932Pair kUnicodeToCp932[];
extern const size_t kUnicodeToCp932Count;
