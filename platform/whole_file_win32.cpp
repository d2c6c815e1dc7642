#include "platform/whole_file.h"

#include <windows.h>

#include <io.h>

#include <cstdio>
#include <string>

namespace {

std::wstring Wide(const char* utf8)
{
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    if (length <= 1)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

// Puts the finished temporary file in the target's place in one step. An
// existing target is replaced by ReplaceFileW, which keeps its attributes
// and security; a new one is the temporary file renamed.
bool PutInPlace(const wchar_t* temporary, const wchar_t* target)
{
    const DWORD moveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (GetFileAttributesW(target) == INVALID_FILE_ATTRIBUTES)
        return MoveFileExW(temporary, target, moveFlags) != FALSE;
    if (ReplaceFileW(target, temporary, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return true;
    // The old file has gone and the new one still has its temporary name:
    // the rename is all that is left to do.
    return GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT && MoveFileExW(temporary, target, moveFlags);
}

} // namespace

bool SaveFileReplacing(const char* path, const FileWriter& write)
{
    const std::wstring target = path ? Wide(path) : std::wstring();
    if (target.empty())
        return false;
    // The temporary file lives beside the target, so that putting it there is
    // a rename on one volume and never a copy.
    size_t cut = target.find_last_of(L"\\/");
    if (cut == std::wstring::npos && target.size() >= 2 && target[1] == L':')
        cut = 1;   // "C:name.dat": the current folder of drive C
    const std::wstring folder = cut == std::wstring::npos ? L"." : target.substr(0, cut + 1);
    wchar_t temporary[MAX_PATH];
    if (folder.size() >= MAX_PATH - 14 || !GetTempFileNameW(folder.c_str(), L"kvr", 0, temporary))
        return false;

    // GetTempFileNameW has made the file, empty; from here on it is removed
    // again unless it has become the target.
    FILE* file = _wfopen(temporary, L"wb");
    bool written = file != nullptr && write(file) && fflush(file) == 0 &&
                   FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))));
    if (file)
        written = fclose(file) == 0 && written;
    written = written && PutInPlace(temporary, target.c_str());
    if (!written)
        DeleteFileW(temporary);
    return written;
}
