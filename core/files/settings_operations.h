// The four File menu operations (New, Open, Save, Save As), the save question
// that guards unsaved changes, and the main window title. Each operation
// works on the model it is given. The file dialogs, the window title and file
// opening are the platform's, behind FileUi.
#pragma once

#include <cstddef>
#include <cstdio>

#include "files/settings_file.h"
#include "protocol/device_model.h"

enum ChooseResult { kChooseCancelled = 0, kChooseOk = 1, kChooseFailed = -1 };

struct FileUiOps {
    // Show the open / save-as file dialog starting at `path` (UTF-8); on
    // kChooseOk the chosen path has been written there.
    int (*chooseOpenPath)(char* path, size_t size);
    int (*chooseSavePath)(char* path, size_t size);
    // The main window title must show CurrentFilePath again.
    void (*pathChanged)();
    // Close the main window (a file dialog failed badly).
    void (*closeMainWindow)();
    // fopen with a UTF-8 path; nullptr means the C library's fopen.
    FILE* (*openFile)(const char* path, const char* mode);
};
extern FileUiOps FileUi;

// "KVR2840E ver.1.00   " followed by CurrentFilePath (UTF-8).
void FormatMainWindowTitle(char* title, size_t size);

// Asks "ファイルが変更されています。保存しますか？" when the settings were
// changed. Returns true when the caller may go on: the user said No, or said
// Yes and the file was saved. When the save the user asked for did not happen
// (it failed, or Save As was cancelled), returns false and keeps the changes
// marked as unsaved.
bool ConfirmDiscardChanges(const DeviceModelData& model);

// The message of a settings file the reader refused, with its line number.
void FormatSettingsReadError(const SettingsFileError& error, char* text, size_t size);

void FileNew(DeviceModelData& model);
void FileOpen(DeviceModelData& model);
bool FileSave(const DeviceModelData& model);     // true when the file was written
bool FileSaveAs(const DeviceModelData& model);   // true when the file was written
