// A command text being built: a fixed buffer with bounded appends. The longest
// command (a LARGE glyph registration) is 584 characters.
#pragma once

constexpr int kCommandBytes = 600;

struct CommandText {
    char text[kCommandBytes];
    int length;

    CommandText();
    void Put(const char* s);
    void PutChar(char c);
    void PutDecimal(int value, int digits);
    void PutHex(int value, int digits);
    // "N" for a flag of 1, "F" otherwise.
    void PutFlagLetter(int flag);
    // "ON" for a flag of 1, "OF" otherwise.
    void PutFlagWord(int flag);
    // Appends "\r\n" and returns the NUL-terminated text.
    const char* End();
};
