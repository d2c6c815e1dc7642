#include "link/text_conversions.h"

#include <cstdlib>
#include <cstring>

int ParseDecimal(const char* text, int n)
{
    int value = 0;
    for (int i = 0; i < n; ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

static int HexDigitValue(char c)
{
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return c - '0';
}

int ParseHex(const char* text, int n)
{
    int value = 0;
    for (int i = 0; i < n; ++i)
        value = (value << 4) + HexDigitValue(text[i]);
    return value;
}

void FormatDecimal(int value, char* text, int n)
{
    unsigned v = value < 0 ? 0u : static_cast<unsigned>(value);
    for (int i = n - 1; i >= 0; --i) {
        text[i] = static_cast<char>('0' + v % 10);
        v /= 10;
    }
}

void FormatHex(int value, char* text, int n, bool upper)
{
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    unsigned v = static_cast<unsigned>(value);
    for (int i = n - 1; i >= 0; --i) {
        text[i] = digits[v & 0xF];
        v >>= 4;
    }
}

int ParseTwoDigits(const char* text)
{
    return (text[0] - '0') * 10 + (text[1] - '0');
}

int ParseHexByte(const char* text)
{
    return ParseHex(text, 2) & 0xFF;
}

void FormatTwoDigits(int value, char* text)
{
    FormatDecimal(value, text, 2);
}

bool IsDecimalDigits(const char* text, int n)
{
    for (int i = 0; i < n; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

bool IsHexDigits(const char* text, int n)
{
    for (int i = 0; i < n; ++i) {
        char c = text[i];
        bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
        if (!hex)
            return false;
    }
    return true;
}
