#include <cstdio>
#include <cstring>
#include <string>

#include "app/main_commands.h"
#include "files/settings_file.h"
#include "files/settings_operations.h"
#include "link/link_state.h"
#include "link/message_ops.h"
#include "protocol/device_model.h"
#include "test_support.h"

namespace {

// What the file dialogs will answer, and what they were shown.
struct DialogScript {
    int openResult[4] = {kChooseCancelled, kChooseCancelled, kChooseCancelled, kChooseCancelled};
    std::string openPath[4];
    int openCalls = 0;
    int saveResult = kChooseCancelled;
    std::string savePath;
    int saveCalls = 0;
    std::string startedAt;   // the path a dialog was opened with
    int titleChanges = 0;
    int mainWindowCloses = 0;
};
DialogScript Script;

int ChooseOpen(char* path, size_t size)
{
    Script.startedAt = path;
    const int call = Script.openCalls++;
    if (call >= 4 || Script.openResult[call] != kChooseOk)
        return call >= 4 ? kChooseCancelled : Script.openResult[call];
    snprintf(path, size, "%s", Script.openPath[call].c_str());
    return kChooseOk;
}

int ChooseSave(char* path, size_t size)
{
    Script.startedAt = path;
    ++Script.saveCalls;
    if (Script.saveResult == kChooseOk)
        snprintf(path, size, "%s", Script.savePath.c_str());
    return Script.saveResult;
}

// A whole-file save that writes the new contents aside and then cannot put
// them in place (the target is locked): what the writer wrote is kept here.
std::string WrittenAside;
bool WriteAsideThenFail(const char*, const FileWriter& write)
{
    FILE* file = tmpfile();
    if (!file)
        return false;
    WrittenAside.clear();
    if (write(file)) {
        rewind(file);
        for (int c; (c = fgetc(file)) != EOF;)
            WrittenAside += static_cast<char>(c);
    }
    fclose(file);
    return false;
}

void TitleChanged() { ++Script.titleChanges; }
void CloseMain() { ++Script.mainWindowCloses; }

// Files of the running test: ctest runs the cases in parallel processes in
// one folder, so each case has names of its own.
std::string FileA;
std::string FileB;
const char* kFileA = nullptr;
const char* kFileB = nullptr;
const char* kMissing = "file_menu_test_missing/none.dat";
const char* kUnwritable = "file_menu_test_missing/new.dat";

void NameTestFiles()
{
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    FileA = "file_menu_" + test + "_a.dat";
    FileB = "file_menu_" + test + "_b.dat";
    kFileA = FileA.c_str();
    kFileB = FileB.c_str();
}

std::string ReadFile(const char* path)
{
    std::string data;
    FILE* f = fopen(path, "rb");
    if (!f)
        return data;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0)
        data.append(chunk, n);
    fclose(f);
    return data;
}

void WriteFile(const char* path, const std::string& data)
{
    FILE* f = fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    fwrite(data.data(), 1, data.size(), f);
    fclose(f);
}

} // namespace

class FileMenuTest : public CoreTest {
protected:
    // The File menu works on this model, not on the program's.
    DeviceModelData model;

    void SetUp() override
    {
        CoreTest::SetUp();
        ResetModelToStartValues(model);
        Script = DialogScript();
        FileUi = {ChooseOpen, ChooseSave, TitleChanged, CloseMain, nullptr, SaveInPlace};
        NameTestFiles();
        remove(kFileA);
        remove(kFileB);
    }
    void TearDown() override
    {
        FileUi = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
        remove(kFileA);
        remove(kFileB);
        CoreTest::TearDown();
    }
};

TEST_F(FileMenuTest, SaveWithoutAFileAsksForOneAndRoundTrips)
{
    model.AutoSwitchPatternTable[3][4] = 44;
    SettingsModified = 1;
    Script.saveResult = kChooseOk;
    Script.savePath = kFileA;
    EXPECT_TRUE(FileSave(model));
    EXPECT_EQ(Script.saveCalls, 1);
    EXPECT_STREQ(CurrentFilePath, kFileA);
    EXPECT_EQ(SettingsModified, 0);
    EXPECT_GE(Script.titleChanges, 1);
    char title[1100];
    FormatMainWindowTitle(title, sizeof title);
    EXPECT_EQ(std::string(title), std::string("KVR2840E ver.1.00   ") + kFileA);

    std::string expected;
    FormatSettingsFile(model, expected);
    EXPECT_EQ(ReadFile(kFileA), expected);

    // New resets the settings set and forgets the file.
    FileNew(model);
    EXPECT_STREQ(CurrentFilePath, "");
    EXPECT_EQ(model.AutoSwitchPatternTable[3][4], 3);
    FormatMainWindowTitle(title, sizeof title);
    EXPECT_STREQ(title, "KVR2840E ver.1.00   ");

    Script.openResult[0] = kChooseOk;
    Script.openPath[0] = kFileA;
    FileOpen(model);
    EXPECT_EQ(model.AutoSwitchPatternTable[3][4], 44);
    EXPECT_STREQ(CurrentFilePath, kFileA);
    EXPECT_TRUE(Messages.shown.empty());

    // A second Save goes to the same file without a dialog.
    model.AutoSwitchPatternTable[3][4] = 45;
    EXPECT_TRUE(FileSave(model));
    EXPECT_EQ(Script.saveCalls, 1);
    FormatSettingsFile(model, expected);
    EXPECT_EQ(ReadFile(kFileA), expected);
}

TEST_F(FileMenuTest, OpenAsksAgainForAMissingFile)
{
    std::string text;
    model.TitleFineTop = 2;
    FormatSettingsFile(model, text);
    WriteFile(kFileB, text);
    ResetModelToStartValues(model);

    Script.openResult[0] = kChooseOk;
    Script.openPath[0] = kMissing;
    Script.openResult[1] = kChooseOk;
    Script.openPath[1] = kFileB;
    FileOpen(model);
    EXPECT_EQ(Script.openCalls, 2);
    const ShownMessage box = OnlyMessage();
    EXPECT_EQ(box.text, "指定したファイルが見つかりませんでした。\nもう一度ファイル名を入力してください。");
    EXPECT_EQ(box.caption, "エラー");
    EXPECT_EQ(box.icon, kIconWarning);
    EXPECT_STREQ(CurrentFilePath, kFileB);
    EXPECT_EQ(model.TitleFineTop, 2);
    EXPECT_STREQ(model.AlarmSettings.holdTimeText, "10");
}

TEST_F(FileMenuTest, CancelledOpenKeepsTheFile)
{
    strcpy(CurrentFilePath, "C:\\data\\site.dat");
    Script.openResult[0] = kChooseCancelled;
    FileOpen(model);
    EXPECT_STREQ(CurrentFilePath, "C:\\data\\site.dat");
    EXPECT_EQ(Script.startedAt, "C:\\data\\site.dat");
    EXPECT_TRUE(Messages.shown.empty());
    EXPECT_EQ(Script.mainWindowCloses, 0);
}

TEST_F(FileMenuTest, DamagedFileIsRefusedAndChangesNothing)
{
    std::string text;
    FormatSettingsFile(model, text);
    text.resize(text.size() / 2);
    WriteFile(kFileB, text);
    strcpy(CurrentFilePath, "earlier.dat");
    model.DisplayPatternTable[0][0] = 50;
    const DeviceModelData before = model;

    Script.openResult[0] = kChooseOk;
    Script.openPath[0] = kFileB;
    FileOpen(model);
    const ShownMessage box = OnlyMessage();
    EXPECT_EQ(box.caption, "エラー");
    EXPECT_EQ(box.icon, kIconError);
    EXPECT_NE(box.text.find("ファイルが途中で終わっています"), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("設定は変更されていません"), std::string::npos);
    EXPECT_EQ(0, memcmp(&before, &model, sizeof before));
    EXPECT_STREQ(CurrentFilePath, "earlier.dat");
}

TEST_F(FileMenuTest, FailingDialogEndsTheProgram)
{
    Script.openResult[0] = kChooseFailed;
    FileOpen(model);
    EXPECT_EQ(OnlyMessage().text, "エラーが発生しました。アプリケーションを終了します。");
    EXPECT_EQ(Script.mainWindowCloses, 1);
}

TEST_F(FileMenuTest, SaveAsToAnUnwritablePlaceKeepsThePath)
{
    strcpy(CurrentFilePath, kFileA);
    SettingsModified = 1;
    Script.saveResult = kChooseOk;
    Script.savePath = kUnwritable;
    EXPECT_FALSE(FileSaveAs(model));
    const ShownMessage box = OnlyMessage();
    EXPECT_EQ(box.text, "ファイルを開くことができませんでした。");
    EXPECT_EQ(box.caption, "エラー");
    EXPECT_EQ(box.icon, kIconError);
    EXPECT_STREQ(CurrentFilePath, kFileA);
    EXPECT_EQ(SettingsModified, 1);
}

TEST_F(FileMenuTest, ASaveThatCannotReplaceTheFileLeavesItWhole)
{
    WriteFile(kFileA, "the file as it was");
    strcpy(CurrentFilePath, kFileA);
    SettingsModified = 1;
    FileUi.saveFile = WriteAsideThenFail;
    EXPECT_FALSE(FileSave(model));
    std::string expected;
    FormatSettingsFile(model, expected);
    EXPECT_EQ(WrittenAside, expected);
    EXPECT_EQ(ReadFile(kFileA), "the file as it was");
    EXPECT_EQ(OnlyMessage().text, "ファイルを開くことができませんでした。");
    EXPECT_EQ(SettingsModified, 1);
}

TEST_F(FileMenuTest, SessionEndAsksTheSaveQuestion)
{
    struct Case {
        int modified;
        int answer;
        int saveResult;   // of the Save As dialog, when a save is asked for
        bool mayEnd;
        size_t questions;
        int modifiedAfter;   // No keeps the mark: the session end may be called off
    };
    const Case cases[] = {
        {0, kAnswerYes, kChooseOk, true, 0, 0},
        {1, kAnswerNo, kChooseOk, true, 1, 1},
        {1, kAnswerYes, kChooseOk, true, 1, 0},
        {1, kAnswerYes, kChooseCancelled, false, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        remove(kFileA);
        CurrentFilePath[0] = '\0';
        Messages.shown.clear();
        Messages.answers = {c.answer};
        Script.saveResult = c.saveResult;
        Script.savePath = kFileA;
        SettingsModified = c.modified;
        EXPECT_EQ(ConfirmSessionEnd(model), c.mayEnd);
        ASSERT_EQ(Messages.shown.size(), c.questions);
        if (c.questions) {
            EXPECT_EQ(Messages.shown[0].text, "ファイルが変更されています。保存しますか？");
            EXPECT_EQ(Messages.shown[0].caption, "保存確認");
            EXPECT_EQ(Messages.shown[0].buttons, kButtonsYesNo);
        }
        EXPECT_EQ(SettingsModified, c.modifiedAfter);
        EXPECT_EQ(!ReadFile(kFileA).empty(), c.modified && c.answer == kAnswerYes && c.saveResult == kChooseOk);
    }
}

TEST_F(FileMenuTest, SaveQuestionNoDiscards)
{
    SettingsModified = 1;
    Messages.answers = {kAnswerNo};
    model.TitleFineTop = 3;
    FileNew(model);
    const ShownMessage box = OnlyMessage();
    EXPECT_EQ(box.text, "ファイルが変更されています。保存しますか？");
    EXPECT_EQ(box.caption, "保存確認");
    EXPECT_EQ(box.buttons, kButtonsYesNo);
    EXPECT_EQ(box.owner, kOwnerMainWindow);
    EXPECT_EQ(SettingsModified, 0);
    EXPECT_EQ(model.TitleFineTop, 7);
}

TEST_F(FileMenuTest, SaveQuestionYesSavesThenGoesOn)
{
    strcpy(CurrentFilePath, kFileA);
    SettingsModified = 1;
    model.TitleFineTop = 3;
    Messages.answers = {kAnswerYes};
    FileNew(model);
    EXPECT_NE(ReadFile(kFileA).find("\r\n3\r\n"), std::string::npos);
    EXPECT_EQ(model.TitleFineTop, 7);
    EXPECT_STREQ(CurrentFilePath, "");
}

TEST_F(FileMenuTest, SaveQuestionYesButTheSaveFailedKeepsTheChanges)
{
    // The save the user asked for did not happen: stop, keep everything.
    SettingsModified = 1;
    model.TitleFineTop = 3;
    Messages.answers = {kAnswerYes};
    Script.saveResult = kChooseCancelled;
    FileNew(model);
    EXPECT_EQ(model.TitleFineTop, 3);
    EXPECT_EQ(SettingsModified, 1);

    strcpy(CurrentFilePath, kUnwritable);
    Messages.answers = {kAnswerYes};
    FileOpen(model);
    EXPECT_EQ(Script.openCalls, 0);
    EXPECT_EQ(SettingsModified, 1);
    EXPECT_EQ(Messages.shown.back().text, "ファイルを開くことができませんでした。");

    Messages.answers = {kAnswerYes};
    EXPECT_FALSE(ConfirmProgramEnd(model));
    EXPECT_EQ(SettingsModified, 1);
}

TEST_F(FileMenuTest, ProgramEnd)
{
    EXPECT_TRUE(ConfirmProgramEnd(model));
    EXPECT_TRUE(Messages.shown.empty());

    // Connected over TCP/IP: ask to save first, then refuse; the question is
    // not asked again unless the settings change again.
    TcpConnected = 1;
    SettingsModified = 1;
    Messages.answers = {kAnswerNo};
    EXPECT_FALSE(ConfirmProgramEnd(model));
    ASSERT_EQ(Messages.shown.size(), 2u);
    EXPECT_EQ(Messages.shown[0].caption, "保存確認");
    EXPECT_EQ(Messages.shown[1].text, "TCP/IPを切断してください。");
    EXPECT_EQ(Messages.shown[1].caption, "Error");
    EXPECT_FALSE(ConfirmProgramEnd(model));
    EXPECT_EQ(Messages.shown.size(), 3u);
    TcpConnected = 0;
    EXPECT_TRUE(ConfirmProgramEnd(model));
}

TEST_F(FileMenuTest, Guards)
{
    EXPECT_TRUE(BroadcastGuardPasses());
    SlaveAddress = kSlaveBroadcast;
    EXPECT_TRUE(BroadcastGuardPasses());   // RS-232C: the address does not matter
    ControlMode = kControlRs485;
    EXPECT_FALSE(BroadcastGuardPasses());
    EXPECT_EQ(OnlyMessage().text, "スレーブアドレスを「Broadcast」以外に設定してください。");
    InterfaceKind = kInterfaceTcp;
    EXPECT_TRUE(BroadcastGuardPasses());

    EXPECT_TRUE(TcpGuardPasses());
    TcpConnected = 1;
    EXPECT_FALSE(TcpGuardPasses());
    EXPECT_EQ(Messages.shown.back().text, "TCP/IPを切断してください。");
}
