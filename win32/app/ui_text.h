// Text crossing between the program's byte strings and the wide Win32 API.
// Model text is Shift-JIS (code page 932); the program's own messages and
// file paths are UTF-8. Nothing here depends on the process's ANSI code page.
#pragma once

#include <windows.h>

#include <string>

std::wstring WideFromUtf8(const char* text);
std::string Utf8FromWide(const wchar_t* text);
std::wstring WideFromModel(const char* shiftJis);
// At most `size` - 1 bytes of Shift-JIS, never splitting a double-byte character.
void ModelFromWide(const wchar_t* text, char* shiftJis, size_t size);
