// The input/output status window, its portable half: the live status at
// opening, the matrix geometry, the poll that runs on timer 10, what each
// poll reply makes the window draw, and the hand-over of replies parsed on
// the serial receive thread to the window's own thread.
//
// The window never draws from the thread that parsed a reply. The reply's
// draw hook copies what it changed into one pending record under a lock and
// tells the window (which posts itself a message); the window's thread takes
// the record and draws the changes. The window's full paint reads the copy
// it keeps of what it last took, never the model the parser is writing.
#pragma once

#include "protocol/device_model.h"

constexpr int kIoStatusTimerId = 10;
constexpr int kIoStatusPeriodMs = 500;
constexpr int kIoStatusPollWrap = 100;   // the poll counter runs 0..99

// The matrix: row i (output) at y = 35 + 12 i, column j (input) at
// x = 35 + 14 j, each cell 14 x 12 pixels.
constexpr int kMatrixLeft = 35;
constexpr int kMatrixTop = 35;
constexpr int kCellWidth = 14;
constexpr int kCellHeight = 12;
constexpr int kOutputLabelX = 15;      // "01".."16" at (15, y + 1)
constexpr int kInputHeaderY = 21;      // "01".."64" above row 0
constexpr int kVideoLossMarkY = 1;     // "LO" above the header

inline int InputColumnX(int input)
{
    return kMatrixLeft + kCellWidth * input;
}
inline int OutputRowY(int output)
{
    return kMatrixTop + kCellHeight * output;
}
// The matrix's right edge X; the "SP" marks stand at X + 2.
inline int MatrixRightEdge(int channelCount)
{
    return InputColumnX(channelCount);
}
inline int PatternMarkX(int channelCount)
{
    return MatrixRightEdge(channelCount) + 2;
}

// Where the next poll picks its command; kept across openings of the window.
extern int IoStatusPollCounter;

// Opening: every source and auto-switch value, current and previous, to 255
// (unknown), every input to "video present"; nothing pending.
void OpenIoStatus(IoStatusRecord& io);

// Closing: the window is no longer open, no completion is left over, the
// transaction is reset and nothing more is handed to the window.
void CloseIoStatus();

enum IoStatusPoll {
    kPollEnded,     // an error or a failed send ended polling: kill timer 10
    kPollWaiting,   // a reply is outstanding, or the window is not open
    kPollSent,      // the next read went out
};

// One tick of timer 10: ROS, ROCD, RVL by the poll counter, one at a time.
// When polling ends the transaction is reset here; the caller kills the timer
// and leaves the window open with what it shows.
IoStatusPoll TickIoStatusPoll(const DeviceModelData& model);

// ---- What a poll reply draws -------------------------------------------------------

struct MatrixCell {
    int output;
    int input;
    bool yellow;   // the input the output shows; blue otherwise
};
struct VideoLossMark {
    int input;
    bool lost;     // "LO"; two blanks when the video is back
};
struct PatternMark {
    int output;
    int pattern;   // 0-based auto-switch pattern ("SP" + pattern + 1), or
                   // kOutputSourceInput: four blanks
};

struct MatrixCells {
    int count = 0;
    MatrixCell cells[2 * kOutputCount];
};
struct VideoLossMarks {
    int count = 0;
    VideoLossMark marks[kMaxChannels];
};
struct PatternMarks {
    int count = 0;
    PatternMark marks[kOutputCount];
};

// After "OCD": for each output whose source changed, its old cell blue (when
// the old source was an input) and its new cell yellow (when it is one).
MatrixCells ChangedSourceCells(const IoStatusRecord& io, int channelCount);
// After "VL": one mark per input whose video state changed.
VideoLossMarks ChangedVideoLossMarks(const IoStatusRecord& io, int channelCount);
// After "OS": one mark per output whose auto-switch state changed.
PatternMarks ChangedPatternMarks(const IoStatusRecord& io);

// The full paint's colour of a cell.
inline bool CellIsYellow(const IoStatusRecord& io, int output, int input)
{
    return io.outputChannel[output] == input;
}

// ---- The hand-over -----------------------------------------------------------------

// What is waiting to be drawn: for each kind of reply that came since the
// window last took the record, the arrays of that kind (previous: what the
// window shows; current: the newest reply).
struct IoStatusDraws {
    bool sources = false;      // "OCD"
    bool videoLoss = false;    // "VL"
    bool patterns = false;     // "OS"
    IoStatusRecord status = {};
};

// The window's notification, called (on the parser's thread, under the
// hand-over's lock) when the pending record stops being empty. Null: nothing
// is handed over (the window is closed).
void SetIoStatusNotify(void (*notify)());

// The parser's draw hooks publish here. They may run on any thread.
void PublishSourceDraw(const IoStatusRecord& io);
void PublishVideoLossDraw(const IoStatusRecord& io);
void PublishPatternDraw(const IoStatusRecord& io);

// The window's thread takes everything pending and leaves the record empty.
IoStatusDraws TakeIoStatusDraws();
// Forgets whatever is pending.
void ClearIoStatusDraws();

// `shown` (the window's copy) takes the current values of every kind in `draws`.
void ApplyIoStatusDraws(IoStatusRecord& shown, const IoStatusDraws& draws);
