// The common file dialogs of the program's files, and UTF-8 file paths.
#pragma once

#include <windows.h>

#include <cstdio>

// The settings data file's dialogs (*.dat) as FileUi's choosers.
void InstallFileDialogs(HWND owner);
// The open ("ファイルを開く") or save ("名前を付けて保存") dialog of files
// "*.<extension>", starting at `path` (UTF-8); a ChooseResult. On kChooseOk
// the chosen path is in `path`; a path that does not fit counts as failed.
int ChooseFilePath(HWND owner, const wchar_t* extension, bool save, char* path, size_t size);
// fopen for a UTF-8 path, whatever the code page.
FILE* OpenFileUtf8(const char* path, const char* mode);
