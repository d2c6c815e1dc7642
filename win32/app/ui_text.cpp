#include "app/ui_text.h"

static std::wstring Widen(const char* text, UINT codePage)
{
    const int length = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

std::wstring WideFromUtf8(const char* text)
{
    return Widen(text, CP_UTF8);
}

std::wstring WideFromModel(const char* shiftJis)
{
    return Widen(shiftJis, 932);
}

std::string Utf8FromWide(const wchar_t* text)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::string();
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &narrow[0], length, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(length - 1));
    return narrow;
}

void ModelFromWide(const wchar_t* text, char* shiftJis, size_t size)
{
    if (size == 0)
        return;
    shiftJis[0] = '\0';
    std::string converted;
    const int length = WideCharToMultiByte(932, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return;
    converted.assign(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(932, 0, text, -1, &converted[0], length, nullptr, nullptr);
    converted.resize(static_cast<size_t>(length - 1));

    size_t used = 0;
    while (used < converted.size()) {
        const unsigned char lead = static_cast<unsigned char>(converted[used]);
        const size_t step = ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) ? 2 : 1;
        if (used + step > size - 1)
            break;
        used += step;
    }
    converted.copy(shiftJis, used);
    shiftJis[used] = '\0';
}
