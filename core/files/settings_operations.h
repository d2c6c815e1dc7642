// The four File menu operations (New, Open, Save, Save As), the save question
// that guards unsaved changes, and the main window title. Each operation
// works on the model it is given. The file dialogs, the window title and file
// opening are the platform's, behind FileUi.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>

#include "link/message_ops.h"
#include "files/settings_file.h"
#include "protocol/device_model.h"

enum ChooseResult { kChooseCancelled = 0, kChooseOk = 1, kChooseFailed = -1 };

// Writes the whole contents of a file to the stream it is given; false when
// that failed.
using FileWriter = std::function<bool(FILE* file)>;

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
    // See SaveWholeFile; nullptr: nothing can be saved.
    bool (*saveFile)(const char* path, const FileWriter& write);
};
extern FileUiOps FileUi;

// Saves a file whole or not at all, through FileUi.saveFile: `write` writes
// the new contents into a temporary file in the folder of `path` (UTF-8);
// only when that succeeded and the data is on the disk does the temporary
// file replace the one at `path`, in one step. When anything fails, the file
// that was at `path` is left byte for byte as it was, no temporary file is
// left behind, and the result is false (the caller tells the user). A full
// disk, a removed stick or a crash in the middle of a save therefore never
// costs the user the file being replaced. Every file the program saves goes
// through here, e.g. a glyph file:
//   SaveWholeFile(path, [&](FILE* f) { return WriteGlyphFile(f, bitmap, sizeType); });
bool SaveWholeFile(const char* path, const FileWriter& write);

// "KVR2840E ver.1.00   " followed by CurrentFilePath (UTF-8).
void FormatMainWindowTitle(char* title, size_t size);

// Asks "ファイルが変更されています。保存しますか？" when the settings were
// changed. Returns true when the caller may go on: the user said No, or said
// Yes and the file was saved. When the save the user asked for did not happen
// (it failed, or Save As was cancelled), returns false and keeps the changes
// marked as unsaved.
bool ConfirmDiscardChanges(const DeviceModelData& model);

// Pieces shared by every file the user keeps (settings and glyph files).
// fopen through FileUi.openFile.
FILE* OpenUserFile(const char* path, const char* mode);
// The save question; true when the user answered Yes.
bool AskToSaveChanges(MessageOwner owner);
// Shows an open dialog through `choose` until the user picks a file that
// opens for reading, with "指定したファイルが見つかりませんでした。..." between.
// On kChooseOk the file is open in `file` and its path is in `path`.
int ChooseFileToRead(int (*choose)(char* path, size_t size), char* path, size_t size, FILE*& file);
// "エラーが発生しました。アプリケーションを終了します。" of a failed file dialog.
void ShowFileDialogFailure();
// "ファイルを開くことができませんでした。" of a file that could not be written.
void ShowFileWriteError();
// The same question when Windows ends the session (log-off, shut-down): true
// when the session may end. Yes saves first, and a save that did not happen
// refuses the end; No lets it end with the changes still marked as unsaved,
// since another program may yet call the session end off.
bool ConfirmSessionEnd(const DeviceModelData& model);
// The message of a settings file the reader refused, with its line number.
void FormatSettingsReadError(const SettingsFileError& error, char* text, size_t size);

void FileNew(DeviceModelData& model);
void FileOpen(DeviceModelData& model);
bool FileSave(const DeviceModelData& model);     // true when the file was written
bool FileSaveAs(const DeviceModelData& model);   // true when the file was written
