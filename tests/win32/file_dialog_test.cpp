#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "app/ui_text.h"
#include "files/file_dialogs.h"
#include "files/settings_file.h"
#include "files/settings_operations.h"
#include "link/message_ops.h"
#include "protocol/device_model.h"
#include "win_test_support.h"

namespace {

class FileDialogTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    MessageBoxRecording messageBoxes;
    void SetUp() override
    {
        ResetProgramState();
        RecordMessageBoxes();   // the reset unhooked the recording sink
        InstallFileDialogs(nullptr);
    }
};

} // namespace

TEST_F(FileDialogTest, SaveAsAndOpenThroughTheRealDialogs)
{
    const std::wstring file = folder.path() + L"\\現場Ａ.dat";
    DeviceModel.AutoSwitchPatternTable[7][8] = 61;
    SettingsModified = 1;
    {
        WindowWatcher watcher(L"#32770", L"名前を付けて保存",
                              [&](HWND dialog) { AnswerFileDialog(dialog, file); });
        EXPECT_TRUE(FileSaveAs(DeviceModel));
        EXPECT_TRUE(watcher.found());
    }
    EXPECT_EQ(Wide(CurrentFilePath), file);
    EXPECT_EQ(SettingsModified, 0);
    FILE* written = _wfopen(file.c_str(), L"rb");
    ASSERT_NE(written, nullptr);
    fclose(written);

    ResetModelToStartValues(DeviceModel);
    CurrentFilePath[0] = '\0';
    {
        WindowWatcher watcher(L"#32770", L"ファイルを開く",
                              [&](HWND dialog) { AnswerFileDialog(dialog, file); });
        FileOpen(DeviceModel);
        EXPECT_TRUE(watcher.found());
    }
    EXPECT_TRUE(RecordedMessages.empty());
    EXPECT_EQ(DeviceModel.AutoSwitchPatternTable[7][8], 61);
    EXPECT_EQ(Wide(CurrentFilePath), file);
}

TEST_F(FileDialogTest, CancelledSaveAsKeepsEverything)
{
    snprintf(CurrentFilePath, sizeof CurrentFilePath, "%s", "earlier.dat");
    SettingsModified = 1;
    WindowWatcher watcher(L"#32770", L"名前を付けて保存",
                          [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_FALSE(FileSaveAs(DeviceModel));
    EXPECT_TRUE(watcher.found());
    EXPECT_STREQ(CurrentFilePath, "earlier.dat");
    EXPECT_EQ(SettingsModified, 1);
    EXPECT_TRUE(RecordedMessages.empty());
}

TEST_F(FileDialogTest, Utf8PathsOpen)
{
    const std::string path = Utf8FromWide((folder.path() + L"\\ｶﾀｶﾅと漢字.txs").c_str());
    FILE* file = OpenFileUtf8(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fputs("x", file);
    fclose(file);
    file = OpenFileUtf8(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(fgetc(file), 'x');
    fclose(file);
}

namespace {

std::string Contents(const std::wstring& path)
{
    std::string data;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return "(none)";
    for (int c; (c = fgetc(file)) != EOF;)
        data += static_cast<char>(c);
    fclose(file);
    return data;
}

std::vector<std::wstring> FilesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

FileWriter Writes(const char* text, bool result)
{
    return [=](FILE* file) { return fputs(text, file) >= 0 && result; };
}

} // namespace

TEST_F(FileDialogTest, ASaveReplacesTheFileWholeOrLeavesItAsItWas)
{
    const std::wstring wide = folder.path() + L"\\現場Ｂ.dat";
    const std::string path = Utf8FromWide(wide.c_str());
    const std::vector<std::wstring> onlyTheFile = {L"現場Ｂ.dat"};
    ASSERT_TRUE(SaveFileReplacing(path.c_str(), Writes("old settings", true)));
    EXPECT_EQ(Contents(wide), "old settings");

    // The writer fails half-way (a full disk): the old file stays.
    EXPECT_FALSE(SaveFileReplacing(path.c_str(), Writes("new", false)));
    EXPECT_EQ(Contents(wide), "old settings");
    EXPECT_EQ(FilesIn(folder.path()), onlyTheFile);

    // The replacing fails (a read-only target): the old file stays.
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(SaveFileReplacing(path.c_str(), Writes("new settings", true)));
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(Contents(wide), "old settings");
    EXPECT_EQ(FilesIn(folder.path()), onlyTheFile);

    EXPECT_TRUE(SaveFileReplacing(path.c_str(), Writes("new settings", true)));
    EXPECT_EQ(Contents(wide), "new settings");
    EXPECT_EQ(FilesIn(folder.path()), onlyTheFile);

}
