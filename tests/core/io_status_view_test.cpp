#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "dialogs/routing/io_status_view.h"
#include "link/link_state.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "protocol/reply_parser.h"
#include "test_support.h"

namespace {

int Notifications = 0;
void CountNotification()
{
    ++Notifications;
}

IoStatusRecord Opened()
{
    IoStatusRecord io;
    OpenIoStatus(io);
    return io;
}

} // namespace

class IoStatusViewTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        Notifications = 0;
        IoStatusWindowOpen = 1;
    }

    // One tick that sends, answered at once.
    std::string PollOnce()
    {
        EXPECT_EQ(TickIoStatusPoll(DeviceModel), kPollSent);
        EXPECT_EQ(TickIoStatusPoll(DeviceModel), kPollWaiting);   // the reply is outstanding
        TransactionState.busy = 0;
        return Sent.serialFrames.back();
    }
};

TEST_F(IoStatusViewTest, OpeningValues)
{
    IoStatusRecord io;
    memset(&io, 0x11, sizeof io);
    OpenIoStatus(io);
    for (int i = 0; i < kOutputCount; ++i) {
        EXPECT_EQ(io.outputChannel[i], 255);
        EXPECT_EQ(io.previousOutputChannel[i], 255);
        EXPECT_EQ(io.outputSource[i], 255);
        EXPECT_EQ(io.previousOutputSource[i], 255);
    }
    for (int j = 0; j < kMaxChannels; ++j) {
        EXPECT_EQ(io.videoLoss[j], 1);
        EXPECT_EQ(io.previousVideoLoss[j], 1);
    }
    EXPECT_EQ(MatrixRightEdge(64), 931);
    EXPECT_EQ(PatternMarkX(64), 933);
    EXPECT_EQ(OutputRowY(15), 35 + 12 * 15);
}

TEST_F(IoStatusViewTest, RotationGoesOnFromWhereItStoppedAndWrapsAt100)
{
    const struct {
        int counter;
        std::vector<std::string> sent;
    } kCases[] = {
        {0, {"ROS\r\n", "ROCD\r\n", "RVL\r\n", "ROS\r\n"}},
        {5, {"RVL\r\n", "ROS\r\n"}},
        // 99 and 0 both give ROS, back to back.
        {98, {"RVL\r\n", "ROS\r\n", "ROS\r\n", "ROCD\r\n", "RVL\r\n"}},
    };
    for (const auto& c : kCases) {
        IoStatusPollCounter = c.counter;
        Sent.serialFrames.clear();
        for (const std::string& expected : c.sent)
            EXPECT_EQ(PollOnce(), expected) << "from " << c.counter;
        EXPECT_EQ(IoStatusPollCounter, (c.counter + static_cast<int>(c.sent.size())) % 100);
    }
}

TEST_F(IoStatusViewTest, PollingWaitsWhileTheWindowIsNotOpen)
{
    IoStatusWindowOpen = 0;
    EXPECT_EQ(TickIoStatusPoll(DeviceModel), kPollWaiting);
    EXPECT_TRUE(Sent.serialFrames.empty());
    EXPECT_EQ(IoStatusPollCounter, 0);
}

TEST_F(IoStatusViewTest, StopStatusOrFailedSendEndsPollingAndResetsTheTransaction)
{
    const struct {
        int replyStatus, sendFailed;
    } kCases[] = {{kReplyStopSequence, 0}, {kReplyGood, 1}, {kReplyStopSequence, 1}};
    for (const auto& c : kCases) {
        TransactionState.replyStatus = c.replyStatus;
        TransactionState.sendFailed = c.sendFailed;
        TransactionState.busy = 1;
        EXPECT_EQ(TickIoStatusPoll(DeviceModel), kPollEnded);
        EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
        EXPECT_EQ(TransactionState.sendFailed, 0);
        EXPECT_EQ(TransactionState.busy, 0);
    }
    EXPECT_TRUE(Sent.serialFrames.empty());
}

TEST_F(IoStatusViewTest, ClosingResetsEverything)
{
    TransactionState.completionCode = kCompletionSingle;
    TransactionState.busy = 1;
    TransactionState.replyStatus = kReplyStopSequence;
    SetIoStatusNotify(CountNotification);
    IoStatusPollCounter = 7;
    CloseIoStatus();
    EXPECT_EQ(IoStatusWindowOpen, 0);
    EXPECT_EQ(TransactionState.completionCode, kCompletionNone);
    EXPECT_EQ(TransactionState.busy, 0);
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    EXPECT_EQ(IoStatusPollCounter, 7);   // kept for the next opening
    // A late reply is not handed to a closed window.
    PublishSourceDraw(Opened());
    EXPECT_EQ(Notifications, 0);
    EXPECT_FALSE(TakeIoStatusDraws().sources);
}

TEST_F(IoStatusViewTest, SourceCellsForChangedOutputsOnly)
{
    IoStatusRecord io = Opened();
    // 0: unknown -> input 4; 1: input 2 -> input 9; 2: unchanged; 3: still unknown.
    io.outputChannel[0] = 4;
    io.previousOutputChannel[1] = 2;
    io.outputChannel[1] = 9;
    io.previousOutputChannel[2] = io.outputChannel[2] = 6;
    const MatrixCells cells = ChangedSourceCells(io, 64);
    ASSERT_EQ(cells.count, 3);
    const MatrixCell expected[] = {{0, 4, true}, {1, 2, false}, {1, 9, true}};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(cells.cells[k].output, expected[k].output) << k;
        EXPECT_EQ(cells.cells[k].input, expected[k].input) << k;
        EXPECT_EQ(cells.cells[k].yellow, expected[k].yellow) << k;
    }
}

TEST_F(IoStatusViewTest, EveryOutputChangedIsAtMostTwoCellsEach)
{
    IoStatusRecord io = Opened();
    for (int i = 0; i < kOutputCount; ++i) {
        io.previousOutputChannel[i] = i;
        io.outputChannel[i] = 63 - i;
    }
    EXPECT_EQ(ChangedSourceCells(io, 64).count, 2 * kOutputCount);
}

TEST_F(IoStatusViewTest, AnUnknownSourcePaintsNoYellowCell)
{
    IoStatusRecord io = Opened();
    io.previousOutputChannel[5] = 3;   // back to unknown: only the old cell goes blue
    const MatrixCells cells = ChangedSourceCells(io, 64);
    ASSERT_EQ(cells.count, 1);
    EXPECT_FALSE(cells.cells[0].yellow);
    for (int j = 0; j < 64; ++j)
        EXPECT_FALSE(CellIsYellow(io, 5, j)) << j;
}

TEST_F(IoStatusViewTest, VideoLossMarksForChangedInputsOnly)
{
    IoStatusRecord io = Opened();
    io.videoLoss[3] = 0;                                 // lost
    io.previousVideoLoss[10] = 0;                        // back
    io.previousVideoLoss[20] = io.videoLoss[20] = 0;     // still lost: nothing to draw
    io.videoLoss[40] = 0;                                // beyond a 32-input unit
    const VideoLossMarks marks = ChangedVideoLossMarks(io, 32);
    ASSERT_EQ(marks.count, 2);
    EXPECT_EQ(marks.marks[0].input, 3);
    EXPECT_TRUE(marks.marks[0].lost);
    EXPECT_EQ(marks.marks[1].input, 10);
    EXPECT_FALSE(marks.marks[1].lost);
}

TEST_F(IoStatusViewTest, PatternMarksForChangedOutputsOnly)
{
    IoStatusRecord io = Opened();
    io.outputSource[1] = 2;                              // onto pattern 3
    io.previousOutputSource[7] = 31;                     // off pattern 32
    io.previousOutputSource[9] = io.outputSource[9] = 4; // unchanged
    const PatternMarks marks = ChangedPatternMarks(io);
    ASSERT_EQ(marks.count, 2);
    EXPECT_EQ(marks.marks[0].output, 1);
    EXPECT_EQ(marks.marks[0].pattern, 2);
    EXPECT_EQ(marks.marks[1].output, 7);
    EXPECT_EQ(marks.marks[1].pattern, kOutputSourceInput);
}

// Two replies of one kind before the window takes them: the window still
// shows the first one's previous values, so those are kept; the second's
// current values are the newest.
TEST_F(IoStatusViewTest, RepliesPendingTogetherMergeWithoutLosingADraw)
{
    SetIoStatusNotify(CountNotification);
    OpenIoStatus(DeviceModel.IoStatus);
    ParseSerialReply(DeviceModel, ("OCD" + Repeat("05", 16) + "\r\n").c_str());
    ParseSerialReply(DeviceModel, ("OCD" + Repeat("07", 16) + "\r\n").c_str());
    ParseSerialReply(DeviceModel, ("VL" + Repeat("N", 63) + "F\r\n").c_str());
    EXPECT_EQ(Notifications, 1);   // one message: the window takes all at once

    const IoStatusDraws draws = TakeIoStatusDraws();
    ASSERT_TRUE(draws.sources);
    ASSERT_TRUE(draws.videoLoss);
    EXPECT_FALSE(draws.patterns);
    EXPECT_EQ(draws.status.previousOutputChannel[0], 255);
    EXPECT_EQ(draws.status.outputChannel[0], 6);
    EXPECT_EQ(ChangedSourceCells(draws.status, 64).count, 16);   // yellow only: nothing was shown
    EXPECT_EQ(ChangedVideoLossMarks(draws.status, 64).count, 1);

    IoStatusRecord shown = Opened();
    ApplyIoStatusDraws(shown, draws);
    EXPECT_EQ(shown.outputChannel[15], 6);
    EXPECT_EQ(shown.videoLoss[63], 0);
    EXPECT_EQ(shown.outputSource[0], 255);

    // Taken: empty again, and the next reply notifies again.
    EXPECT_FALSE(TakeIoStatusDraws().sources);
    ParseSerialReply(DeviceModel, ("OS" + Repeat("S01", 16) + "\r\n").c_str());
    EXPECT_EQ(Notifications, 2);
}

// The parser publishing on one thread while the window takes on another:
// every change of the one output ends up drawn, in order, with no step lost.
TEST_F(IoStatusViewTest, HandOverAcrossThreadsLosesNothing)
{
    SetIoStatusNotify(CountNotification);
    constexpr int kReplies = 2000;
    std::atomic<bool> done{false};
    std::thread parser([&done] {
        IoStatusRecord io = Opened();
        for (int k = 0; k < kReplies; ++k) {
            io.previousOutputChannel[0] = io.outputChannel[0];
            io.outputChannel[0] = k % 64;
            PublishSourceDraw(io);
        }
        done = true;
    });
    int shownInput = 255;
    bool consistent = true;
    for (;;) {
        const bool finished = done;
        const IoStatusDraws draws = TakeIoStatusDraws();
        if (draws.sources) {
            consistent = consistent && draws.status.previousOutputChannel[0] == shownInput;
            shownInput = draws.status.outputChannel[0];
        } else if (finished) {
            break;
        }
    }
    parser.join();
    EXPECT_TRUE(consistent);
    EXPECT_EQ(shownInput, (kReplies - 1) % 64);
}
