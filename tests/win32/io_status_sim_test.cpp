// The input/output status window through its real window against the
// simulator on the serial link: what it polls, what each reply draws, and
// how it closes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "dialogs/routing/io_status.h"
#include "dialogs/routing/io_status_view.h"
#include "protocol/command_builder.h"
#include "serial_sim_fixture.h"

namespace {

class IoStatusWindowTest : public SerialSimTest {
protected:
    // Output 2 of the free layout on auto-switch pattern 3, and the free
    // layout on screen.
    void PutOutput2OnPattern3()
    {
        DeviceModel.DisplayPatternTable[kFreePattern][1] = DeviceModel.ChannelCount + 2;
        ASSERT_TRUE(SendFreeOutput(DeviceModel, 1));
        Answered(kReplyGood, kCompletionSingle);
        ASSERT_TRUE(SendPatternSelect(DeviceModel, kFreePattern));
        Answered(kReplyGood, kCompletionSingle);
    }

    // The window open on this thread while `act` runs on a watcher thread;
    // then its close box.
    void RunWindow(const std::function<void(HWND)>& act)
    {
        EXPECT_TRUE(DriveDialog(RunIoStatusWindow, nullptr, [&](HWND window) {
            EXPECT_EQ(IoStatusWindowOpen, 1);
            act(window);
            PostMessageW(window, WM_CLOSE, 0, 0);
        }, 20000));
    }
};

// How many more GDI objects the process could create now (each is deleted again).
int FreeGdiSlots()
{
    std::vector<HBRUSH> made;
    while (made.size() < 200000) {
        HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
        if (!brush)
            break;
        made.push_back(brush);
    }
    for (HBRUSH brush : made)
        DeleteObject(brush);
    return static_cast<int>(made.size());
}

} // namespace

// The simulator of this run lets one input at a time lose its video for a
// second. Six seconds of polling or more from counter 98 on.
TEST_F(IoStatusWindowTest, PollsRotateAndEachReplyDrawsOnlyWhatChanged)
{
    PutOutput2OnPattern3();
    IoStatusPollCounter = 98;
    int paintsWhenPollingBegan = -1;
    std::wstring caption;
    RunWindow([&](HWND window) {
        caption = Title(window);
        EXPECT_TRUE(WaitUntil([] { return IoStatusDrawn.incrementalDraws >= 1; }, 3000));
        paintsWhenPollingBegan = IoStatusDrawn.fullPaints;
        // At least six seconds, and until the flapping input was seen lost
        // and back (a loaded machine polls more slowly).
        Sleep(6000);
        EXPECT_TRUE(WaitUntil([] { return IoStatusDrawn.lostMarks >= 1 && IoStatusDrawn.presentMarks >= 1; },
                              20000));
        EXPECT_TRUE(WaitUntilAnswered());
    });
    EXPECT_EQ(caption, L"入出力の状態  ");
    Sleep(300);   // a poll sent as the window closed reaches the log

    // After the two set-up commands: RVL (98), ROS (99), ROS (0), ROCD, RVL, ...
    const std::vector<std::string> log = SimulatorLog();
    ASSERT_GE(log.size(), 2u + 10u);
    const char* const kRotation[] = {"ROS", "ROCD", "RVL"};
    for (size_t k = 2; k < log.size(); ++k)
        EXPECT_EQ(log[k], kRotation[(98 + k - 2) % 100 % 3]) << "poll " << k - 2;

    // One draw per reply, and none of them a full paint: the first "OCD"
    // reply fills the 16 outputs' cells yellow, later ones at most the two
    // cells of output 2 as it cycles.
    const IoStatusDrawCounts drawn = IoStatusDrawn;
    EXPECT_EQ(drawn.fullPaints, paintsWhenPollingBegan);
    const int polls = static_cast<int>(log.size()) - 2;
    EXPECT_LE(drawn.incrementalDraws, polls);
    EXPECT_GE(drawn.incrementalDraws, polls - 1);   // the last poll may go out as the window closes
    EXPECT_EQ(drawn.mostCellsInOneDraw, kOutputCount);
    EXPECT_LE(drawn.cells, kOutputCount + 2 * (polls / 3 + 1));   // two cells per later "OCD" at most
    // The flapping input: lost, and back.
    EXPECT_GE(drawn.lostMarks, 1);
    EXPECT_GE(drawn.presentMarks, 1);
    // Output 2 on pattern 3: one "SP03" mark, and it stays.
    EXPECT_EQ(drawn.patternMarks, 1);
    EXPECT_EQ(drawn.patternBlanks, 0);
    EXPECT_EQ(drawn.lastPatternOutput, 1);
    EXPECT_EQ(drawn.lastPattern, 2);

    // Closed: nothing left of it, and no "Success" was shown for the polls.
    EXPECT_EQ(IoStatusWindowOpen, 0);
    EXPECT_EQ(OpenDialog, nullptr);
    EXPECT_EQ(TransactionState.completionCode, kCompletionNone);
    EXPECT_TRUE(RecordedMessages.empty());
    // The counter goes on from here at the next opening.
    EXPECT_EQ(IoStatusPollCounter, (98 + polls) % 100);
}

// Every drawing creates its font and brushes and deletes them: a thousand
// incremental draws and full paints leave the process's GDI objects as they
// were. Wine's GetGuiResources counts nothing, so the objects the process
// can still create count too: a leak would take their slots.
TEST_F(IoStatusWindowTest, ManyDrawsLeaveTheGdiObjectCountAsItWas)
{
    DWORD countBefore = 0, countAfter = 0;
    int freeBefore = 0, freeAfter = 0;
    int draws = 0, paints = 0;
    RunWindow([&](HWND window) {
        EXPECT_TRUE(WaitUntil([] { return IoStatusDrawn.incrementalDraws >= 3; }, 5000));
        // Polling pauses (its tick waits while the window does not count as
        // open), so that only this test's draws run from here on.
        IoStatusWindowOpen = 0;
        EXPECT_TRUE(WaitUntilAnswered());
        Sleep(100);
        countBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
        freeBefore = FreeGdiSlots();
        const int drawsBefore = IoStatusDrawn.incrementalDraws;
        const int paintsBefore = IoStatusDrawn.fullPaints;
        IoStatusRecord io = DeviceModel.IoStatus;
        for (int k = 0; k < 1000; ++k) {
            io.previousOutputChannel[k % 16] = io.outputChannel[k % 16];
            io.outputChannel[k % 16] = k % 64;
            io.previousVideoLoss[k % 64] = io.videoLoss[k % 64];
            io.videoLoss[k % 64] = k % 2;
            PublishSourceDraw(io);
            PublishVideoLossDraw(io);
            WaitUntil([&] { return IoStatusDrawn.incrementalDraws > drawsBefore + k; }, 2000, 0);
            if (k % 50 == 0)
                RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        }
        draws = IoStatusDrawn.incrementalDraws - drawsBefore;
        paints = IoStatusDrawn.fullPaints - paintsBefore;
        countAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
        freeAfter = FreeGdiSlots();
    });
    EXPECT_GE(draws, 1000);
    EXPECT_GE(paints, 10);
    EXPECT_EQ(countAfter, countBefore);
    EXPECT_GT(freeBefore, 1000);
    EXPECT_EQ(freeAfter, freeBefore);
}

namespace {

// Whether any pixel of the rectangle differs from the face colour.
bool Inked(HDC dc, int left, int top, int right, int bottom)
{
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            const COLORREF pixel = GetPixel(dc, x, y);
            if (pixel != face && pixel != RGB(255, 255, 255))
                return true;
        }
    return false;
}

// The client area as a 24-bit BMP file (to look at the window).
void SaveClientArea(HWND window, const char* path)
{
    RECT client;
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info = {sizeof info, client.right, client.bottom, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const int stride = (client.right * 3 + 3) & ~3;
    std::vector<unsigned char> pixels(static_cast<size_t>(stride) * client.bottom);
    GetDIBits(memory, bitmap, 0, client.bottom, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof file + sizeof info + pixels.size()), 0, 0,
                             sizeof file + sizeof info};
    if (FILE* out = fopen(path, "wb")) {
        fwrite(&file, sizeof file, 1, out);
        fwrite(&info, sizeof info, 1, out);
        fwrite(pixels.data(), 1, pixels.size(), out);
        fclose(out);
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, dc);
}

} // namespace

// The simulator of this run has no video on input 3. The face holds the
// whole matrix and the "SP" marks right of it; the cells, the "LO" mark and
// the "SP" mark are on screen. KVR_SCREENSHOT=FILE.bmp saves the face.
TEST_F(IoStatusWindowTest, FaceShowsTheMatrixAndItsMarks)
{
    PutOutput2OnPattern3();
    RunWindow([&](HWND window) {
        EXPECT_TRUE(WaitUntil([] { return IoStatusDrawn.incrementalDraws >= 4; }, 5000));
        EXPECT_TRUE(WaitUntilAnswered());
        Sleep(100);
        RECT client;
        GetClientRect(window, &client);
        const int channels = DeviceModel.ChannelCount;
        EXPECT_GE(client.right, PatternMarkX(channels) + 4 * 6 + 4) << "the SP marks are cut off";
        EXPECT_GE(client.bottom, OutputRowY(kOutputCount) + 4);
        HDC dc = GetDC(window);
        const int shown = DeviceModel.IoStatus.outputChannel[0];
        ASSERT_NE(shown, kOutputSourceInput);
        EXPECT_EQ(GetPixel(dc, InputColumnX(shown) + 5, OutputRowY(0) + 5), RGB(255, 255, 0));
        EXPECT_EQ(GetPixel(dc, InputColumnX((shown + 1) % channels) + 5, OutputRowY(0) + 5), RGB(0, 0, 255));
        EXPECT_TRUE(Inked(dc, InputColumnX(2), kVideoLossMarkY, InputColumnX(3), kVideoLossMarkY + 11)) << "LO";
        EXPECT_FALSE(Inked(dc, InputColumnX(4), kVideoLossMarkY, InputColumnX(5), kVideoLossMarkY + 11));
        EXPECT_TRUE(Inked(dc, PatternMarkX(channels), OutputRowY(1) + 1, PatternMarkX(channels) + 24, OutputRowY(2)))
            << "SP03";
        EXPECT_FALSE(Inked(dc, PatternMarkX(channels), OutputRowY(0) + 1, PatternMarkX(channels) + 24, OutputRowY(1)));
        ReleaseDC(window, dc);
        if (const char* path = getenv("KVR_SCREENSHOT"))
            SaveClientArea(window, path);
    });
}
