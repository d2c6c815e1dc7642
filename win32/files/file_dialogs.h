// The common file dialogs of the settings data file, UTF-8 file paths, and
// saving a file whole.
#pragma once

#include <windows.h>

#include <cstdio>

#include "files/settings_operations.h"

// Also installs OpenFileUtf8 and SaveFileReplacing behind FileUi.
void InstallFileDialogs(HWND owner);
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
