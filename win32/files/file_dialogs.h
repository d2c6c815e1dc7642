// The common file dialogs of the program's files, UTF-8 file paths, and
// saving a file whole.
#pragma once

#include <windows.h>

#include <cstdio>

#include "files/settings_operations.h"
#include "platform/whole_file.h"   // SaveFileReplacing, the save behind FileUi.saveFile

// The settings data file's dialogs (*.dat) as FileUi's choosers; also
// installs OpenFileUtf8 and SaveFileReplacing behind FileUi.
void InstallFileDialogs(HWND owner);
// The open ("ファイルを開く") or save ("名前を付けて保存") dialog of files
// "*.<extension>", starting at `path` (UTF-8); a ChooseResult. On kChooseOk
// the chosen path is in `path`; a path that does not fit counts as failed.
int ChooseFilePath(HWND owner, const wchar_t* extension, bool save, char* path, size_t size);
// fopen for a UTF-8 path, whatever the code page.
FILE* OpenFileUtf8(const char* path, const char* mode);
