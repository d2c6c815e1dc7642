// The common file dialogs of the program's files, UTF-8 file paths, and
// saving a file whole.
#pragma once

#include <windows.h>

#include <cstdio>

#include "files/settings_operations.h"

// The settings data file's dialogs (*.dat) as FileUi's choosers; also
// installs OpenFileUtf8 and SaveFileReplacing behind FileUi.
void InstallFileDialogs(HWND owner);
// The open ("ファイルを開く") or save ("名前を付けて保存") dialog of files
// "*.<extension>", starting at `path` (UTF-8); a ChooseResult. On kChooseOk
// the chosen path is in `path`; a path that does not fit counts as failed.
int ChooseFilePath(HWND owner, const wchar_t* extension, bool save, char* path, size_t size);
// fopen for a UTF-8 path, whatever the code page.
FILE* OpenFileUtf8(const char* path, const char* mode);
// SaveWholeFile on Windows: `write` fills a temporary file in the target's
// folder, which is flushed to the disk (FlushFileBuffers) and then put in the
// target's place in one step (ReplaceFileW over an existing file, MoveFileExW
// with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH for a new one).
// False when any step failed: the target is then as it was (also when it
// cannot be replaced: read-only, open elsewhere) and the temporary file is
// gone. Telling the user is the caller's.
bool SaveFileReplacing(const char* path, const FileWriter& write);
