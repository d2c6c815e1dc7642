#include "cli/utf8.h"

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
