// UTF-8, read one character at a time and strictly: no overlong forms, no
// surrogates, nothing above U+10FFFF. The tool's texts for people are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The character at `at`, moving `at` past it; false, with `at` unchanged,
// when the bytes there are no UTF-8 character (or `at` is at the end).
bool NextUtf8(const std::string& text, size_t& at, uint32_t& character);
bool IsUtf8(const std::string& text);
