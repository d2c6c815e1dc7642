#include "files/file_dialogs.h"

#include <commdlg.h>

#include <cstring>
#include <string>

#include "app/ui_text.h"
#include "files/settings_operations.h"

namespace {

HWND DialogOwner = nullptr;

// Room for any path the dialog gives; as UTF-8 it still fits the path buffer.
constexpr DWORD kDialogPathChars = 520;

int Choose(char* path, size_t size, bool save)
{
    wchar_t file[kDialogPathChars] = {};
    wchar_t title[100] = {};
    const std::wstring start = WideFromUtf8(path);
    if (start.size() < kDialogPathChars)
        wcscpy(file, start.c_str());

    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = DialogOwner;
    dialog.lpstrFilter = L"*.dat\0*.dat\0\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = kDialogPathChars;
    dialog.lpstrFileTitle = title;
    dialog.nMaxFileTitle = 100;
    dialog.lpstrInitialDir = L"C:\\WORK\\VC6\\KVR1620D";
    dialog.lpstrDefExt = L"dat";
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

int ChooseOpenPath(char* path, size_t size)
{
    return Choose(path, size, false);
}

int ChooseSavePath(char* path, size_t size)
{
    return Choose(path, size, true);
}

} // namespace

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
}
