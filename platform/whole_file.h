// Saving a file whole or not at all, one way for the program and the tool:
// `write` fills a new temporary file beside `path` (UTF-8), whose data is
// then flushed to the disk (fsync, FlushFileBuffers) before it takes the
// place of the file at `path` in one step (rename; ReplaceFileW over an
// existing file on Windows, which keeps its attributes and security). On
// POSIX the folder is flushed too, so that the new name survives a power
// loss. When anything fails the file that was at `path` is left byte for
// byte as it was, the temporary file is removed, and the result is false;
// telling the user is the caller's. A full disk, a pulled stick or a power
// cut in the middle of a save therefore never leaves an empty or half-written
// settings file.
#pragma once

#include "files/settings_operations.h"

bool SaveFileReplacing(const char* path, const FileWriter& write);
