#include "dialogs/routing/io_status.h"

#include <cwchar>

#include "common/dialog.h"
#include "common/dpi_scaling.h"
#include "common/scoped.h"
#include "dialogs/routing/io_status_view.h"
#include "link/link_state.h"
#include "protocol/device_model.h"
#include "resources/resource.h"

IoStatusDrawCounts IoStatusDrawn;

namespace {

// Posted to the window by the hand-over: something is waiting to be drawn.
constexpr UINT WM_IO_STATUS_DRAW = WM_APP + 1;

constexpr int kFontHeight = 11;
constexpr int kFontWidth = 6;

// The window while it is open (the hand-over's notification posts to it),
// and what it shows: the live status as of the last hand-over it took. The
// full paint reads this copy, never the model the parser writes.
HWND StatusWindow = nullptr;
IoStatusRecord Shown;

// Runs on the parser's thread, under the hand-over's lock.
void PostDrawRequest()
{
    PostMessageW(StatusWindow, WM_IO_STATUS_DRAW, 0, 0);
}

int Channels()
{
    return DeviceModel.ChannelCount;
}

// Fonts and brushes of one drawing, created for it and deleted after it.
struct DrawingTools {
    ScopedFont font{CreateFontW(kFontHeight, kFontWidth, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"ＭＳ ゴシック")};
    ScopedBrush yellow{CreateSolidBrush(RGB(255, 255, 0))};
    ScopedBrush blue{CreateSolidBrush(RGB(0, 0, 255))};
};

// Every character 6 pixels on, the font's width: two digits then fit a 14-pixel
// column with a gap even where the font's own advance is wider (a substitute
// for "ＭＳ ゴシック" that is not exactly 6 pixels a character). The texts
// drawn here are at most four characters.
void Text(HDC dc, int x, int y, const wchar_t* text)
{
    static const INT kAdvance[] = {kFontWidth, kFontWidth, kFontWidth, kFontWidth};
    const UINT length = static_cast<UINT>(wcslen(text));
    // On the dialog's own face colour, so that the blanks that replace a mark
    // leave no white patch behind.
    SetBkColor(dc, GetSysColor(COLOR_3DFACE));
    ExtTextOutW(dc, x, y, 0, nullptr, text, length < 4 ? length : 4, kAdvance);
}

void TwoDigits(HDC dc, int x, int y, int number)
{
    wchar_t text[8];
    swprintf(text, 8, L"%02d", number);
    Text(dc, x, y, text);
}

// A cell in the device context's default pen, filled with `brush`.
void Cell(HDC dc, const DrawingTools& tools, int output, int input, bool yellow)
{
    ScopedSelect brush(dc, yellow ? tools.yellow.get() : tools.blue.get());
    const int x = InputColumnX(input);
    const int y = OutputRowY(output);
    Rectangle(dc, x, y, x + kCellWidth, y + kCellHeight);
}

// "SP" and the 1-based pattern, or four blanks when the output runs none.
void DrawPatternMark(HDC dc, int output, int pattern)
{
    wchar_t text[8] = L"    ";
    if (pattern != kOutputSourceInput)
        swprintf(text, 8, L"SP%02d", pattern + 1);
    Text(dc, PatternMarkX(Channels()), OutputRowY(output) + 1, text);
}

// Without the "LO" marks: they stand only after an input's state changed.
void FullPaint(HWND window)
{
    ScopedPaint paint(window);
    HDC dc = paint.dc();
    const DpiScaling scaling(dc);
    const DrawingTools tools;
    ScopedSelect font(dc, tools.font.get());
    const int channels = Channels();
    for (int i = 0; i < kOutputCount; ++i) {
        const int y = OutputRowY(i);
        TwoDigits(dc, kOutputLabelX, y + 1, i + 1);
        if (Shown.outputSource[i] != kOutputSourceInput)
            DrawPatternMark(dc, i, Shown.outputSource[i]);
        for (int j = 0; j < channels; ++j) {
            Cell(dc, tools, i, j, CellIsYellow(Shown, i, j));
            if (i == 0)
                TwoDigits(dc, InputColumnX(j), kInputHeaderY, j + 1);
        }
    }
    ++IoStatusDrawn.fullPaints;
}

// Draws what the replies handed over since the last time changed, straight
// into the window (not through a repaint).
void DrawHandedOver(HWND window)
{
    const IoStatusDraws draws = TakeIoStatusDraws();
    if (!draws.sources && !draws.videoLoss && !draws.patterns)
        return;
    ApplyIoStatusDraws(Shown, draws);
    ScopedWindowDc windowDc(window);
    HDC dc = windowDc.dc();
    const DpiScaling scaling(dc);
    const DrawingTools tools;
    ScopedSelect font(dc, tools.font.get());
    IoStatusDrawCounts& drawn = IoStatusDrawn;
    if (draws.sources) {
        const MatrixCells changed = ChangedSourceCells(draws.status, Channels());
        for (int k = 0; k < changed.count; ++k)
            Cell(dc, tools, changed.cells[k].output, changed.cells[k].input, changed.cells[k].yellow);
        drawn.cells += changed.count;
        if (changed.count > drawn.mostCellsInOneDraw)
            drawn.mostCellsInOneDraw = changed.count;
    }
    if (draws.videoLoss) {
        const VideoLossMarks changed = ChangedVideoLossMarks(draws.status, Channels());
        for (int k = 0; k < changed.count; ++k) {
            const VideoLossMark& mark = changed.marks[k];
            Text(dc, InputColumnX(mark.input), kVideoLossMarkY, mark.lost ? L"LO" : L"  ");
            ++(mark.lost ? drawn.lostMarks : drawn.presentMarks);
        }
    }
    if (draws.patterns) {
        const PatternMarks changed = ChangedPatternMarks(draws.status);
        for (int k = 0; k < changed.count; ++k) {
            const PatternMark& mark = changed.marks[k];
            DrawPatternMark(dc, mark.output, mark.pattern);
            if (mark.pattern == kOutputSourceInput) {
                ++drawn.patternBlanks;
            } else {
                ++drawn.patternMarks;
                drawn.lastPatternOutput = mark.output;
                drawn.lastPattern = mark.pattern;
            }
        }
    }
    ++drawn.incrementalDraws;
}

void Start(HWND dialog)
{
    IoStatusDrawn = IoStatusDrawCounts();
    OpenIoStatus(DeviceModel.IoStatus);
    Shown = DeviceModel.IoStatus;
    StatusWindow = dialog;
    SetIoStatusNotify(PostDrawRequest);
    SetTimer(dialog, kIoStatusTimerId, kIoStatusPeriodMs, nullptr);
    // Only now is there a window for the flag to speak of: the main window's
    // error handling closes the open dialog while it is set.
    IoStatusWindowOpen = 1;
}

void Close(HWND dialog)
{
    CloseIoStatus();
    StatusWindow = nullptr;
    KillTimer(dialog, kIoStatusTimerId);
    EndModalDialog(dialog, 0);
}

bool Message(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_PAINT:
        FullPaint(dialog);
        return true;
    case WM_IO_STATUS_DRAW:
        DrawHandedOver(dialog);
        return true;
    case WM_TIMER:
        if (wParam == kIoStatusTimerId && TickIoStatusPoll(DeviceModel) == kPollEnded)
            KillTimer(dialog, kIoStatusTimerId);
        return true;
    }
    return false;
}

} // namespace

void RunIoStatusWindow(HWND owner)
{
    static const ModalDialog kWindow = {
        .templateId = IDD_IO_STATUS,
        .title = L"入出力の状態",
        .caption = kCaptionWithoutPath,
        .handlers = {.start = Start, .close = Close, .message = Message},
    };
    RunModalDialog(owner, kWindow);
    // Whichever way the window ended, or when it could not be made at all,
    // nothing may go on taking it for open.
    if (IoStatusWindowOpen || StatusWindow)
        CloseIoStatus();
    StatusWindow = nullptr;
}
