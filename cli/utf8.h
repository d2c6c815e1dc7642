// UTF-8, read one character at a time and strictly: no overlong forms, no
// surrogates, nothing above U+10FFFF. The tool's texts for people are UTF-8;
// titles are Shift-JIS (code page 932), converted by the program's own table
// (protocol/cp932.h), so that both builds convert alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The character at `at`, moving `at` past it; false, with `at` unchanged,
// when the bytes there are no UTF-8 character (or `at` is at the end).
bool NextUtf8(const std::string& text, size_t& at, uint32_t& character);
bool IsUtf8(const std::string& text);
void AppendUtf8(uint32_t character, std::string& text);

// Both convert the whole text or nothing: false when a byte sequence is no
// code page 932 character, or the text is no UTF-8 or holds a character that
// code page 932 has no code for. Nothing is replaced by a look-alike or a
// default character, but for the few JIS X 0208 characters that Windows
// maps elsewhere (protocol/cp932.h: U+2212 gives 0x817C, which comes back as
// U+FF0D). Code page 932 gives some characters two codes (the NEC and IBM
// duplicates): Utf8ToShiftJis gives the one Windows gives, so a title that
// holds the other does not come back byte for byte. Input and output may be
// one string.
bool ShiftJisToUtf8(const std::string& shiftJis, std::string& utf8);
bool Utf8ToShiftJis(const std::string& utf8, std::string& shiftJis);
