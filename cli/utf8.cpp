#include "cli/utf8.h"

#include "protocol/cp932.h"

bool NextUtf8(const std::string& text, size_t& at, uint32_t& character)
{
    if (at >= text.size())
        return false;
    const unsigned char first = static_cast<unsigned char>(text[at]);
    int length;
    uint32_t value;
    uint32_t lowest;
    if (first < 0x80) {
        character = first;
        ++at;
        return true;
    } else if (first >= 0xC2 && first <= 0xDF) {
        length = 2, value = first & 0x1F, lowest = 0x80;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3, value = first & 0x0F, lowest = 0x800;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4, value = first & 0x07, lowest = 0x10000;
    } else {
        return false;
    }
    if (text.size() - at < static_cast<size_t>(length))
        return false;
    for (int k = 1; k < length; ++k) {
        const unsigned char next = static_cast<unsigned char>(text[at + static_cast<size_t>(k)]);
        if ((next & 0xC0) != 0x80)
            return false;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < lowest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return false;
    character = value;
    at += static_cast<size_t>(length);
    return true;
}

bool IsUtf8(const std::string& text)
{
    uint32_t character;
    for (size_t at = 0; at < text.size();)
        if (!NextUtf8(text, at, character))
            return false;
    return true;
}

void AppendUtf8(uint32_t character, std::string& text)
{
    if (character < 0x80) {
        text += static_cast<char>(character);
        return;
    }
    int continuation = character < 0x800 ? 1 : character < 0x10000 ? 2 : 3;
    static const unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
    text += static_cast<char>(kLead[continuation] | (character >> (6 * continuation)));
    while (continuation-- > 0)
        text += static_cast<char>(0x80 | ((character >> (6 * continuation)) & 0x3F));
}

// Both read their input whole before they write their output, so that the
// two may be one string.
bool ShiftJisToUtf8(const std::string& shiftJis, std::string& utf8)
{
    std::string converted;
    uint16_t character;
    for (size_t at = 0; at < shiftJis.size();) {
        if (!NextCp932(shiftJis.data(), shiftJis.size(), at, character))
            return false;
        AppendUtf8(character, converted);
    }
    utf8.swap(converted);
    return true;
}

bool Utf8ToShiftJis(const std::string& utf8, std::string& shiftJis)
{
    std::string converted;
    uint32_t character;
    uint16_t code;
    for (size_t at = 0; at < utf8.size();) {
        if (!NextUtf8(utf8, at, character) || !UnicodeToCp932(character, code))
            return false;
        if (code > 0xFF)
            converted += static_cast<char>(code >> 8);
        converted += static_cast<char>(code & 0xFF);
    }
    shiftJis.swap(converted);
    return true;
}
