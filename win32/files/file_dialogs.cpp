#include "files/file_dialogs.h"

#include <commdlg.h>
#include <io.h>

#include <cstring>
#include <string>

#include "app/ui_text.h"
#include "files/settings_operations.h"

namespace {

HWND DialogOwner = nullptr;

// Room for any path the dialog gives; as UTF-8 it still fits the path buffer.
constexpr DWORD kDialogPathChars = 520;

int ChooseOpenPath(char* path, size_t size)
{
    return ChooseFilePath(DialogOwner, L"dat", false, path, size);
}

int ChooseSavePath(char* path, size_t size)
{
    return ChooseFilePath(DialogOwner, L"dat", true, path, size);
}

} // namespace

int ChooseFilePath(HWND owner, const wchar_t* extension, bool save, char* path, size_t size)
{
    wchar_t file[kDialogPathChars] = {};
    wchar_t title[100] = {};
    const std::wstring start = WideFromUtf8(path);
    if (start.size() < kDialogPathChars)
        wcscpy(file, start.c_str());
    // "*.ext" as the filter's text and as its pattern.
    const std::wstring pattern = std::wstring(L"*.") + extension;
    std::wstring filter = pattern + L'\0' + pattern + L'\0';
    filter += L'\0';

    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = kDialogPathChars;
    dialog.lpstrFileTitle = title;
    dialog.nMaxFileTitle = 100;
    dialog.lpstrInitialDir = L"C:\\WORK\\VC6\\KVR1620D";
    dialog.lpstrDefExt = extension;
    if (save) {
        dialog.lpstrTitle = L"名前を付けて保存";
        dialog.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    } else {
        dialog.lpstrTitle = L"ファイルを開く";
        dialog.Flags = OFN_HIDEREADONLY;
    }
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen)
        return CommDlgExtendedError() != 0 ? kChooseFailed : kChooseCancelled;

    const std::string utf8 = Utf8FromWide(file);
    if (utf8.size() >= size)
        return kChooseFailed;
    memcpy(path, utf8.c_str(), utf8.size() + 1);
    return kChooseOk;
}

FILE* OpenFileUtf8(const char* path, const char* mode)
{
    return _wfopen(WideFromUtf8(path).c_str(), WideFromUtf8(mode).c_str());
}

namespace {

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
    const std::wstring target = WideFromUtf8(path);
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

void InstallFileDialogs(HWND owner)
{
    DialogOwner = owner;
    FileUi.chooseOpenPath = ChooseOpenPath;
    FileUi.chooseSavePath = ChooseSavePath;
    FileUi.openFile = OpenFileUtf8;
    FileUi.saveFile = SaveFileReplacing;
}
