#include "files/file_dialogs.h"

#include <commdlg.h>
#include <io.h>

#include <cstring>
#include <string>

#include "app/ui_text.h"
#include "files/settings_operations.h"
#include "platform/whole_file.h"

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

void InstallFileDialogs(HWND owner)
{
    DialogOwner = owner;
    FileUi.chooseOpenPath = ChooseOpenPath;
    FileUi.chooseSavePath = ChooseSavePath;
    FileUi.openFile = OpenFileUtf8;
    FileUi.saveFile = SaveFileReplacing;
}
