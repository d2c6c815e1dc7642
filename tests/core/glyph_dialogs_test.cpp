#include <cstdio>
#include <cstring>
#include <string>

#include "app/dialog_selections.h"
#include "dialogs/glyph/glyph_editor_model.h"
#include "dialogs/glyph/glyph_insert_model.h"
#include "files/settings_operations.h"
#include "link/link_state.h"
#include "link/message_ops.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "protocol/reply_parser.h"
#include "protocol/glyph.h"
#include "test_support.h"

namespace {

const char* const kSizeNames[] = {"LARGE", "MEDIUM", "SMALL"};

class GlyphEditorTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        OpenGlyphEditor(kGlyphSmall);
    }
};

// What the glyph file dialogs answer.
struct FileScript {
    int result[2] = {kChooseCancelled, kChooseCancelled};
    std::string path[2];
    int calls = 0;
};
FileScript Script;

int Choose(char* path, size_t size)
{
    const int call = Script.calls++;
    if (call >= 2)
        return kChooseCancelled;
    if (Script.result[call] == kChooseOk)
        snprintf(path, size, "%s", Script.path[call].c_str());
    return Script.result[call];
}

std::string TestFile(const char* suffix)
{
    return std::string("glyph_dialogs_") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + suffix;
}

void WriteText(const std::string& path, const std::string& text)
{
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fputs(text.c_str(), file);
    fclose(file);
}

class GlyphFilesTest : public GlyphEditorTest {
protected:
    void SetUp() override
    {
        GlyphEditorTest::SetUp();
        Script = FileScript();
        GlyphFileUi = {Choose, Choose};
        FileUi.saveFile = SaveInPlace;
    }
    void TearDown() override
    {
        FileUi.saveFile = nullptr;
        GlyphEditorTest::TearDown();
    }
    // One changed dot, as the mouse leaves it.
    void DrawOneDot()
    {
        GlyphDot dot;
        ASSERT_TRUE(GlyphPenDown(kPenPaints, 31, 31, dot));
        GlyphPenUp(kPenPaints);
    }
};

} // namespace

TEST(GlyphGrid, SquaresFromTenTenInEverySize)
{
    struct {
        int size, lastRight;
    } const cases[] = {{kGlyphSmall, 490}, {kGlyphMedium, 490}, {kGlyphLarge, 490}};
    for (const auto& c : cases) {
        const GlyphSizeInfo& info = GlyphSizeOf(c.size);
        const GlyphRect first = GlyphDotRect(c.size, 0, 0);
        EXPECT_EQ(first.left, 10);
        EXPECT_EQ(first.top, 10);
        EXPECT_EQ(first.right, 10 + info.gridSquare) << kSizeNames[c.size];
        const GlyphRect last = GlyphDotRect(c.size, info.dotsPerSide - 1, info.dotsPerSide - 1);
        EXPECT_EQ(last.right, c.lastRight) << kSizeNames[c.size];
        EXPECT_EQ(last.bottom, c.lastRight);
        const GlyphRect dot = GlyphDotRect(c.size, 2, 3);
        EXPECT_EQ(dot.left, 10 + 3 * info.gridSquare);
        EXPECT_EQ(dot.top, 10 + 2 * info.gridSquare);
    }
    const GlyphRect grid = GlyphGridRect();
    EXPECT_EQ(grid.right - grid.left, 480);
}

TEST(GlyphGrid, OnlyPointsStrictlyInsideTheOuterRingNameADot)
{
    struct {
        int size, x, y;
        bool dot;
        int row, column;
    } const cases[] = {
        {kGlyphSmall, 15, 15, false, 0, 0},   {kGlyphSmall, 489, 489, false, 0, 0},
        {kGlyphSmall, 31, 31, true, 1, 1},    {kGlyphSmall, 30, 31, false, 0, 0},   // x' = s: on the ring's edge
        {kGlyphSmall, 469, 200, true, 9, 22}, {kGlyphSmall, 470, 200, false, 0, 0}, // x' = 480 - s
        {kGlyphMedium, 26, 26, true, 1, 1},   {kGlyphMedium, 25, 26, false, 0, 0},
        {kGlyphMedium, 474, 474, true, 30, 30}, {kGlyphMedium, 475, 474, false, 0, 0},
        {kGlyphLarge, 21, 21, true, 1, 1},    {kGlyphLarge, 20, 21, false, 0, 0},
        {kGlyphLarge, 479, 479, true, 46, 46}, {kGlyphLarge, 480, 479, false, 0, 0},
        {kGlyphSmall, -5, 100, false, 0, 0},  {kGlyphSmall, 100, 600, false, 0, 0},
    };
    for (const auto& c : cases) {
        GlyphDot dot = {-1, -1};
        EXPECT_EQ(GlyphDotAt(c.size, c.x, c.y, dot), c.dot) << kSizeNames[c.size] << " " << c.x << "," << c.y;
        if (c.dot) {
            EXPECT_EQ(dot.row, c.row) << c.x << "," << c.y;
            EXPECT_EQ(dot.column, c.column) << c.x << "," << c.y;
        }
    }
}

TEST_F(GlyphEditorTest, LeftPaintsRightErasesDragsIncluded)
{
    GlyphDot dot;
    ASSERT_TRUE(GlyphPenDown(kPenPaints, 31, 31, dot));
    EXPECT_EQ(DeviceModel.GlyphBitmap[3], 0x40);   // dot 25: bit 6 of byte 3
    EXPECT_TRUE(GlyphEditor.modified);
    EXPECT_TRUE(GlyphPenMove(55, 35, dot));         // the drag reaches dot (1, 2)
    EXPECT_EQ(dot.column, 2);
    EXPECT_FALSE(GlyphPenMove(58, 38, dot));        // already lit
    GlyphPenUp(kPenPaints);
    EXPECT_FALSE(GlyphPenMove(75, 35, dot));        // no button down
    EXPECT_EQ(DeviceModel.GlyphBitmap[3], 0x60);

    GlyphEditor.modified = false;
    ASSERT_TRUE(GlyphPenDown(kPenErases, 35, 35, dot));
    GlyphPenUp(kPenPaints);                         // the other button's release
    EXPECT_TRUE(GlyphPenMove(55, 35, dot));
    EXPECT_EQ(DeviceModel.GlyphBitmap[3], 0x00);
    EXPECT_TRUE(GlyphEditor.modified);
    EXPECT_FALSE(GlyphPenMove(55, 35, dot));        // already dark
    GlyphEditor.modified = false;
    EXPECT_FALSE(GlyphPenDown(kPenErases, 15, 15, dot));
    EXPECT_FALSE(GlyphEditor.modified);
}

TEST_F(GlyphEditorTest, ReadAndRegisterTheSelectedSlotInEverySize)
{
    struct {
        int size, slot;
        const char* read;
        size_t registerLength;
        const char* registerStart;
    } const cases[] = {
        {kGlyphSmall, 0, "RFBMSA365\r\n", 152, "GRS001"},   {kGlyphSmall, 26, "RFBMSA421\r\n", 152, "GRS027"},
        {kGlyphSmall, 255, "RFBMSA64A\r\n", 152, "GRS256"}, {kGlyphMedium, 159, "RFBMMA548\r\n", 264, "GRM160"},
        {kGlyphMedium, 119, "RFBMMA47E\r\n", 264, "GRM120"}, {kGlyphLarge, 69, "RFBMLA44C\r\n", 584, "GRL070"},
        {kGlyphLarge, 25, "RFBMLA37E\r\n", 584, "GRL026"},
    };
    for (const auto& c : cases) {
        OpenGlyphEditor(c.size);
        SelectGlyphSlot(c.slot);
        ResetTransaction();
        ASSERT_TRUE(ReadGlyphSlot());
        EXPECT_EQ(Sent.serialFrames.back(), c.read);
        ResetTransaction();
        ASSERT_TRUE(RegisterGlyph());
        EXPECT_EQ(Sent.serialFrames.back().size(), c.registerLength);
        EXPECT_EQ(Sent.serialFrames.back().substr(0, 6), c.registerStart);
    }
    // Nothing while the register command is outstanding.
    EXPECT_FALSE(ReadGlyphSlot());
    snprintf(GlyphEditor.sample, sizeof GlyphEditor.sample, "%s", "\x82\x60");
    EXPECT_FALSE(ReadGlyphSample());
    EXPECT_EQ(Sent.serialFrames.size(), 14u);
}

// A glyph reply is taken once, and only while its read is open; a read on
// "Broadcast", which no unit answers, is refused before it is sent.
TEST_F(GlyphEditorTest, AGlyphReplyBelongsToTheReadThatIsOpen)
{
    OpenGlyphEditor(kGlyphSmall);
    SelectGlyphSlot(0);
    const std::string reply = "FBMSA365" + Repeat("FF", 72) + "\r\n";
    for (bool closeFirst : {false, true}) {
        ResetTransaction();
        memset(DeviceModel.GlyphBitmap, 0, sizeof DeviceModel.GlyphBitmap);
        ASSERT_TRUE(ReadGlyphSlot());
        if (closeFirst)
            GlyphEditorClosed();
        ParseSerialReply(DeviceModel, reply.c_str());
        EXPECT_EQ(DeviceModel.GlyphBitmap[0], closeFirst ? 0 : 0xFF) << closeFirst;
        EXPECT_EQ(TransactionState.replyStatus, closeFirst ? kReplyCommandError : kReplyGood) << closeFirst;
        if (!closeFirst) {
            // The same reply again answers nothing.
            DeviceModel.GlyphBitmap[0] = 0;
            ParseSerialReply(DeviceModel, reply.c_str());
            EXPECT_EQ(DeviceModel.GlyphBitmap[0], 0);
        }
    }

    ControlMode = kControlRs485;
    SlaveAddress = kSlaveBroadcast;
    ResetTransaction();
    Messages = MessageLog();
    const size_t sent = Sent.serialFrames.size();
    EXPECT_FALSE(ReadGlyphSlot());
    snprintf(GlyphEditor.sample, sizeof GlyphEditor.sample, "%s", "\x82\x60");
    EXPECT_FALSE(ReadGlyphSample());
    EXPECT_EQ(Sent.serialFrames.size(), sent);
    ASSERT_EQ(Messages.shown.size(), 2u);
    EXPECT_EQ(Messages.shown[0].text, "スレーブアドレスを「Broadcast」以外に設定してください。");
    ASSERT_TRUE(RegisterGlyph());   // a glyph still goes to every unit at once
    EXPECT_EQ(Sent.serialFrames.back().substr(0, 8), "FFGRS001");
}

TEST_F(GlyphEditorTest, TheKeptSlotIsSetBackIntoTheSizesSlots)
{
    SelectGlyphSlot(255);
    OpenGlyphEditor(kGlyphMedium);
    EXPECT_EQ(DialogSelections.glyphSlot, 159);
    SelectGlyphSlot(160);   // no such line in MEDIUM
    EXPECT_EQ(DialogSelections.glyphSlot, 159);
    OpenGlyphEditor(kGlyphLarge);
    EXPECT_EQ(DialogSelections.glyphSlot, 69);
    OpenGlyphEditor(kGlyphSmall);
    EXPECT_EQ(DialogSelections.glyphSlot, 69);
}

TEST_F(GlyphFilesTest, SavedAndOpenedAgain)
{
    DrawOneDot();
    Script.result[0] = kChooseOk;
    Script.path[0] = TestFile(".txs");
    EXPECT_EQ(GlyphFileSave(), kGlyphFileSaved);   // no path yet: Save As
    EXPECT_EQ(GlyphEditor.path, Script.path[0]);
    EXPECT_FALSE(GlyphEditor.modified);

    EXPECT_EQ(GlyphFileNew(), kGlyphFileLoaded);   // nothing unsaved: no question
    EXPECT_EQ(DeviceModel.GlyphBitmap[3], 0x00);
    EXPECT_STREQ(GlyphEditor.path, "");

    Script = FileScript();
    Script.result[0] = Script.result[1] = kChooseOk;
    Script.path[0] = "glyph_dialogs_missing/none.txs";   // cannot be opened: warned, asked again
    Script.path[1] = TestFile(".txs");
    EXPECT_EQ(GlyphFileOpen(), kGlyphFileLoaded);
    EXPECT_EQ(DeviceModel.GlyphBitmap[3], 0x40);
    EXPECT_EQ(GlyphEditor.path, Script.path[1]);
    EXPECT_EQ(OnlyMessage().text, "指定したファイルが見つかりませんでした。\nもう一度ファイル名を入力してください。");
    EXPECT_EQ(Messages.shown.back().icon, kIconWarning);
    remove(Script.path[1].c_str());
}

TEST_F(GlyphFilesTest, AFileWithoutTheSizesWordIsRefused)
{
    const std::string good = TestFile("_good.txm");
    const std::string bad = TestFile("_bad.txm");
    const std::string words[] = {std::string(255, 'F'), std::string(258, 'F'), std::string(255, 'F') + "X",
                                 std::string(144, '0')};
    OpenGlyphEditor(kGlyphMedium);
    snprintf(GlyphEditor.path, sizeof GlyphEditor.path, "%s", good.c_str());
    DeviceModel.GlyphBitmap[0] = 0x5A;
    for (const std::string& word : words) {
        WriteText(bad, word + "\r\n");
        Script = FileScript();
        Script.result[0] = kChooseOk;
        Script.path[0] = bad;
        Messages = MessageLog();
        EXPECT_EQ(GlyphFileOpen(), kGlyphFileKept);
        EXPECT_EQ(OnlyMessage().text,
                  "外字ファイルとして読み込めませんでした。\n256 桁の16進数の行がありません。\n外字は変更されていません。");
        EXPECT_EQ(DeviceModel.GlyphBitmap[0], 0x5A);
        EXPECT_EQ(GlyphEditor.path, good);
    }
    remove(bad.c_str());
}

TEST_F(GlyphFilesTest, TheSaveQuestionGuardsNewOpenAndClose)
{
    struct {
        int answer;
        int chooser;           // the Save As of a Yes
        bool goesOn;
    } const cases[] = {
        {kAnswerNo, kChooseCancelled, true},
        {kAnswerYes, kChooseCancelled, false},   // the save did not happen
        {kAnswerYes, kChooseOk, true},
    };
    const std::string path = TestFile(".txs");
    for (const auto& c : cases) {
        for (int operation = 0; operation < 3; ++operation) {
            GlyphEditor.path[0] = '\0';
            DrawOneDot();
            Script = FileScript();
            Script.result[0] = c.chooser;
            Script.path[0] = path;
            Messages = MessageLog();
            Messages.answers = {c.answer};
            bool wentOn;
            if (operation == 0)
                wentOn = GlyphFileNew() == kGlyphFileLoaded;
            else if (operation == 1)   // it went on when it reached its own dialog
                wentOn = (GlyphFileOpen(), Script.calls == (c.answer == kAnswerYes ? 2 : 1));
            else
                wentOn = GlyphEditorMayClose();
            EXPECT_EQ(Messages.shown.front().text, "ファイルが変更されています。保存しますか？");
            EXPECT_EQ(Messages.shown.front().caption, "保存確認");
            EXPECT_EQ(wentOn, c.goesOn) << c.answer << " " << c.chooser << " op " << operation;
            if (!c.goesOn) {
                EXPECT_TRUE(GlyphEditor.modified);
                EXPECT_EQ(DeviceModel.GlyphBitmap[3], 0x40);
            }
            memset(DeviceModel.GlyphBitmap, 0, sizeof DeviceModel.GlyphBitmap);
            GlyphEditor.modified = false;
        }
    }
    remove(path.c_str());
}

TEST_F(GlyphFilesTest, FailuresKeepWhatTheyCannotDo)
{
    // A file that cannot be written: reported, the dots stay unsaved.
    DrawOneDot();
    snprintf(GlyphEditor.path, sizeof GlyphEditor.path, "%s", "glyph_dialogs_missing/new.txs");
    EXPECT_EQ(GlyphFileSave(), kGlyphFileKept);
    EXPECT_EQ(OnlyMessage().text, "ファイルを開くことができませんでした。");
    EXPECT_TRUE(GlyphEditor.modified);

    // A file dialog that fails ends the editor, also from its Close.
    GlyphEditor.modified = false;
    for (GlyphFileResult (*operation)() : {GlyphFileSaveAs, GlyphFileOpen}) {
        Script = FileScript();
        Script.result[0] = kChooseFailed;
        Messages = MessageLog();
        EXPECT_EQ(operation(), kGlyphFileDialogFailed);
        EXPECT_EQ(OnlyMessage().text, "エラーが発生しました。アプリケーションを終了します。");
    }
    EXPECT_STREQ(GlyphEditor.path, "glyph_dialogs_missing/new.txs");
    GlyphEditor.path[0] = '\0';
    GlyphEditor.modified = true;
    Script = FileScript();
    Script.result[0] = kChooseFailed;
    Messages = MessageLog();
    Messages.answers = {kAnswerYes};
    EXPECT_TRUE(GlyphEditorMayClose());

    GlyphEditorClosed();
    EXPECT_EQ(DeviceModel.GlyphBitmap[3], 0x00);
    EXPECT_FALSE(GlyphEditor.modified);
}

using GlyphInsertTest = CoreTest;

TEST_F(GlyphInsertTest, ListsFollowTheFontSize)
{
    struct {
        int size, slot, position;         // picked before the size
        int newSize;
        int slots, positions, slotAfter, positionAfter;
    } const cases[] = {
        {kGlyphSmall, 199, 24, kGlyphLarge, 70, 14, 69, 13},
        {kGlyphSmall, 199, 24, kGlyphMedium, 160, 21, 159, 20},
        {kGlyphLarge, 69, 13, kGlyphSmall, 256, 28, 69, 13},
        {kGlyphSmall, 100, 10, kGlyphMedium, 160, 21, 100, 10},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(SelectGlyphInsertSize(c.size));
        SelectGlyphInsertSlot(c.slot);
        SelectGlyphInsertPosition(c.position);
        ASSERT_TRUE(SelectGlyphInsertSize(c.newSize));
        EXPECT_EQ(GlyphInsertSlotLines(), c.slots);
        EXPECT_EQ(GlyphInsertPositionLines(), c.positions);
        EXPECT_EQ(DialogSelections.glyphSlot, c.slotAfter) << c.size << "->" << c.newSize;
        EXPECT_EQ(DialogSelections.glyphInsertPosition, c.positionAfter);
    }
    EXPECT_FALSE(SelectGlyphInsertSize(3));
    EXPECT_EQ(DialogSelections.glyphInsertSize, kGlyphMedium);
}

TEST_F(GlyphInsertTest, OpensOnLargeWithKeptSelectionsSetBack)
{
    EXPECT_EQ(DialogSelections.glyphInsertSize, kGlyphLarge);
    DeviceModel.ChannelCount = 32;
    DialogSelections.inputChannel = 40;
    DialogSelections.glyphSlot = 200;   // kept from a SMALL editor
    DialogSelections.glyphInsertPosition = 20;
    OpenGlyphInsert();
    EXPECT_EQ(DialogSelections.inputChannel, 31);
    EXPECT_EQ(DialogSelections.glyphSlot, 69);
    EXPECT_EQ(DialogSelections.glyphInsertPosition, 13);
}

TEST_F(GlyphInsertTest, SetSendsSlotChannelAndPosition)
{
    SelectGlyphInsertSize(kGlyphSmall);
    SelectGlyphInsertSlot(2);
    SelectGlyphInsertChannel(11);
    SelectGlyphInsertPosition(4);
    SelectGlyphInsertChannel(64);   // no such line: ignored
    ASSERT_TRUE(SendGlyphInsertion());
    EXPECT_EQ(OnlyFrame(), "G003C12I05\r\n");
    EXPECT_EQ(TransactionState.sequencePhase, kPhaseSingle);
    EXPECT_FALSE(SendGlyphInsertion());   // the reply is still awaited
    EXPECT_EQ(Sent.serialFrames.size(), 1u);
}
