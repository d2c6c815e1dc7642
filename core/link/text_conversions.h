// Fixed-width text conversions used by every command builder and reply handler.
// None of them writes a terminator: callers place the digits into fixed fields.
#pragma once

// The first n characters as decimal digits; the characters are not validated.
int ParseDecimal(const char* text, int n);
// The first n characters as hexadecimal digits ('a'..'f' and 'A'..'F' are 10..15,
// any other character counts as character - '0').
int ParseHex(const char* text, int n);
// Exactly n decimal digits of value, zero-padded. Callers keep value within
// 0 .. 10^n - 1; a value outside is reduced so that only digits are written.
void FormatDecimal(int value, char* text, int n);
// Exactly n hexadecimal digits, zero-padded; upper-case letters when upper is set.
void FormatHex(int value, char* text, int n, bool upper);
// (first - '0') * 10 + (second - '0').
int ParseTwoDigits(const char* text);
// Two hexadecimal digits to a byte 0..255.
int ParseHexByte(const char* text);
// Tens digit and units digit of value 0..99.
void FormatTwoDigits(int value, char* text);

// Validation helpers for the reply handlers, which check a field before
// converting it.
bool IsDecimalDigits(const char* text, int n);
bool IsHexDigits(const char* text, int n);
