#include "protocol/command_text.h"

#include "link/text_conversions.h"

CommandText::CommandText() : length(0)
{
    text[0] = '\0';
}

void CommandText::PutChar(char c)
{
    // Two bytes stay free for the line end and one for the NUL.
    if (length < kCommandBytes - 3)
        text[length++] = c;
    text[length] = '\0';
}

void CommandText::Put(const char* s)
{
    while (*s)
        PutChar(*s++);
}

void CommandText::PutDecimal(int value, int digits)
{
    char field[8];
    if (digits > 8)
        digits = 8;
    FormatDecimal(value, field, digits);
    for (int i = 0; i < digits; ++i)
        PutChar(field[i]);
}

void CommandText::PutHex(int value, int digits)
{
    char field[8];
    if (digits > 8)
        digits = 8;
    FormatHex(value, field, digits, true);
    for (int i = 0; i < digits; ++i)
        PutChar(field[i]);
}

void CommandText::PutFlagLetter(int flag)
{
    PutChar(flag == 1 ? 'N' : 'F');
}

void CommandText::PutFlagWord(int flag)
{
    Put(flag == 1 ? "ON" : "OF");
}

const char* CommandText::End()
{
    text[length++] = '\r';
    text[length++] = '\n';
    text[length] = '\0';
    return text;
}
