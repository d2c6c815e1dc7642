// The common file dialogs of the settings data file, and UTF-8 file paths.
#pragma once

#include <windows.h>

#include <cstdio>

void InstallFileDialogs(HWND owner);
// fopen for a UTF-8 path, whatever the code page.
FILE* OpenFileUtf8(const char* path, const char* mode);
