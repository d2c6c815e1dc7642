#include "files/settings_operations.h"

#include <cstring>

#include "files/settings_file.h"
#include "link/message_ops.h"
#include "protocol/device_model.h"

FileUiOps FileUi = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

namespace {

const char kErrorCaption[] = "エラー";

void NotifyPathChanged()
{
    if (FileUi.pathChanged)
        FileUi.pathChanged();
}

void ShowFileError(const char* text, MessageIcon icon)
{
    ShowMessage({text, kErrorCaption, icon, kButtonsOk, true, kOwnerNone});
}

// A common file dialog that fails (rather than being cancelled) leaves the
// program in no state to go on.
void DialogFailed()
{
    ShowFileDialogFailure();
    if (FileUi.closeMainWindow)
        FileUi.closeMainWindow();
}

const char* ReadErrorReason(SettingsFileResult result)
{
    switch (result) {
    case kSettingsTooShort: return "ファイルが途中で終わっています";
    case kSettingsNotANumber: return "数値が入るべき行に数値以外のものがあります";
    case kSettingsOutOfRange: return "値が範囲外です";
    case kSettingsTokenTooLong: return "タイトルまたはパスワードが長すぎます";
    case kSettingsTooLarge: return "設定データファイルとしては大きすぎます";
    case kSettingsBadTitle: return "タイトルに使えない文字があります";
    default: return "ファイルを読み込めませんでした";
    }
}

// Writes the model to `path`; reports and returns false when that fails.
bool WriteTo(const DeviceModelData& model, const char* path)
{
    const bool written =
        SaveWholeFile(path, [&model](FILE* file) { return WriteSettingsFile(file, model) == kSettingsOk; });
    if (!written) {
        ShowFileWriteError();
        return false;
    }
    SettingsModified = 0;
    return true;
}

void SetCurrentPath(const char* path)
{
    snprintf(CurrentFilePath, sizeof CurrentFilePath, "%s", path);
    NotifyPathChanged();
}

} // namespace

bool SaveWholeFile(const char* path, const FileWriter& write)
{
    return FileUi.saveFile && FileUi.saveFile(path, write);
}

void FormatMainWindowTitle(char* title, size_t size)
{
    snprintf(title, size, "KVR2840E ver.1.00   %s", CurrentFilePath);
}

FILE* OpenUserFile(const char* path, const char* mode)
{
    return FileUi.openFile ? FileUi.openFile(path, mode) : fopen(path, mode);
}

bool AskToSaveChanges(MessageOwner owner)
{
    return ShowMessage({"ファイルが変更されています。保存しますか？", "保存確認", kIconQuestion, kButtonsYesNo,
                        false, owner}) == kAnswerYes;
}

int ChooseFileToRead(int (*choose)(char* path, size_t size), char* path, size_t size, FILE*& file)
{
    for (;;) {
        const int result = choose ? choose(path, size) : kChooseCancelled;
        if (result != kChooseOk)
            return result;
        file = OpenUserFile(path, "rb");
        if (file)
            return kChooseOk;
        ShowFileError("指定したファイルが見つかりませんでした。\nもう一度ファイル名を入力してください。",
                      kIconWarning);
    }
}

void ShowFileDialogFailure()
{
    ShowFileError("エラーが発生しました。アプリケーションを終了します。", kIconError);
}

void ShowFileWriteError()
{
    ShowFileError("ファイルを開くことができませんでした。", kIconError);
}

bool ConfirmDiscardChanges(const DeviceModelData& model)
{
    if (!SettingsModified)
        return true;
    const bool yes = AskToSaveChanges(kOwnerMainWindow);
    SettingsModified = 0;
    if (!yes)
        return true;
    if (FileSave(model))
        return true;
    SettingsModified = 1;
    return false;
}

bool ConfirmSessionEnd(const DeviceModelData& model)
{
    if (!SettingsModified)
        return true;
    return !AskToSaveChanges(kOwnerMainWindow) || FileSave(model);
}

void FormatSettingsReadError(const SettingsFileError& error, char* text, size_t size)
{
    if (error.line > 0)
        snprintf(text, size,
                 "設定データファイルとして読み込めませんでした。\n%s（%d 行目）。\n設定は変更されていません。",
                 ReadErrorReason(error.result), error.line);
    else
        snprintf(text, size, "設定データファイルとして読み込めませんでした。\n%s。\n設定は変更されていません。",
                 ReadErrorReason(error.result));
}

void FileNew(DeviceModelData& model)
{
    if (!ConfirmDiscardChanges(model))
        return;
    CurrentFilePath[0] = '\0';
    ResetModelForNewSettings(model);
    NotifyPathChanged();
}

void FileOpen(DeviceModelData& model)
{
    if (!ConfirmDiscardChanges(model))
        return;

    char chosen[kFilePathBytes];
    snprintf(chosen, sizeof chosen, "%s", CurrentFilePath);
    FILE* file = nullptr;
    const int result = ChooseFileToRead(FileUi.chooseOpenPath, chosen, sizeof chosen, file);
    if (result == kChooseFailed)
        return DialogFailed();
    if (result != kChooseOk)
        return;   // cancelled: the current file stays

    const SettingsFileError error = ReadSettingsFile(file, model);
    fclose(file);
    if (error.result != kSettingsOk) {
        char text[512];
        FormatSettingsReadError(error, text, sizeof text);
        ShowFileError(text, kIconError);
        return;
    }
    SettingsModified = 0;
    SetCurrentPath(chosen);
}

bool FileSave(const DeviceModelData& model)
{
    if (CurrentFilePath[0] == '\0')
        return FileSaveAs(model);
    if (!WriteTo(model, CurrentFilePath))
        return false;
    NotifyPathChanged();
    return true;
}

bool FileSaveAs(const DeviceModelData& model)
{
    char chosen[kFilePathBytes];
    snprintf(chosen, sizeof chosen, "%s", CurrentFilePath);
    const int result = FileUi.chooseSavePath ? FileUi.chooseSavePath(chosen, sizeof chosen)
                                             : kChooseCancelled;
    if (result == kChooseFailed) {
        DialogFailed();
        return false;
    }
    if (result != kChooseOk)
        return false;
    if (!WriteTo(model, chosen))
        return false;
    SetCurrentPath(chosen);
    return true;
}
