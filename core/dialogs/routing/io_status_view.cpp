#include "dialogs/routing/io_status_view.h"

#include <cstring>
#include <mutex>

#include "link/link_state.h"
#include "link/transaction.h"
#include "protocol/command_builder.h"
#include "protocol/reply_parser.h"

int IoStatusPollCounter = 0;

namespace {

// The hand-over between the parser's thread and the window's thread.
std::mutex PendingLock;
IoStatusDraws Pending;
void (*Notify)() = nullptr;

template <typename T, size_t N>
void Fill(T (&array)[N], T value)
{
    for (T& v : array)
        v = value;
}

// One kind of array pair: `previous` is kept when that kind is already
// pending (the window still shows it), `current` is always the newest.
template <size_t N>
void MergePair(bool& pending, int (&previous)[N], int (&current)[N], const int (&newPrevious)[N],
               const int (&newCurrent)[N])
{
    if (!pending)
        memcpy(previous, newPrevious, sizeof previous);
    memcpy(current, newCurrent, sizeof current);
    pending = true;
}

// Runs `merge` on the pending record, and tells the window when the record
// was empty before (a window that has not taken it yet will take it all).
template <typename Merge>
void Publish(Merge merge)
{
    std::lock_guard<std::mutex> lock(PendingLock);
    if (!Notify)
        return;
    const bool wasEmpty = !Pending.sources && !Pending.videoLoss && !Pending.patterns;
    merge(Pending);
    if (wasEmpty)
        Notify();
}

} // namespace

void OpenIoStatus(IoStatusRecord& io)
{
    Fill(io.outputChannel, kOutputSourceInput);
    Fill(io.previousOutputChannel, kOutputSourceInput);
    Fill(io.outputSource, kOutputSourceInput);
    Fill(io.previousOutputSource, kOutputSourceInput);
    Fill(io.videoLoss, 1);
    Fill(io.previousVideoLoss, 1);
    ClearIoStatusDraws();
    OutputChannelsDrawHook = PublishSourceDraw;
    VideoLossDrawHook = PublishVideoLossDraw;
    AutoSwitchMarksDrawHook = PublishPatternDraw;
}

void CloseIoStatus()
{
    IoStatusWindowOpen = 0;
    TransactionState.completionCode = kCompletionNone;
    ResetTransaction();
    SetIoStatusNotify(nullptr);
}

IoStatusPoll TickIoStatusPoll(const DeviceModelData& model)
{
    if (TransactionState.replyStatus == kReplyStopSequence || TransactionState.sendFailed) {
        ResetTransaction();
        return kPollEnded;
    }
    if (TransactionState.busy || IoStatusWindowOpen != 1)
        return kPollWaiting;
    SendStatusPollStep(model, IoStatusPollCounter);
    IoStatusPollCounter += 1;
    if (IoStatusPollCounter >= kIoStatusPollWrap)
        IoStatusPollCounter = 0;
    return kPollSent;
}

MatrixCells ChangedSourceCells(const IoStatusRecord& io, int channelCount)
{
    MatrixCells out;
    for (int i = 0; i < kOutputCount; ++i) {
        const int before = io.previousOutputChannel[i];
        const int now = io.outputChannel[i];
        if (before == now)
            continue;
        if (before >= 0 && before < channelCount)
            out.cells[out.count++] = {i, before, false};
        if (now >= 0 && now < channelCount)
            out.cells[out.count++] = {i, now, true};
    }
    return out;
}

VideoLossMarks ChangedVideoLossMarks(const IoStatusRecord& io, int channelCount)
{
    VideoLossMarks out;
    for (int j = 0; j < channelCount && j < kMaxChannels; ++j)
        if (io.videoLoss[j] != io.previousVideoLoss[j])
            out.marks[out.count++] = {j, io.videoLoss[j] == 0};
    return out;
}

PatternMarks ChangedPatternMarks(const IoStatusRecord& io)
{
    PatternMarks out;
    for (int i = 0; i < kOutputCount; ++i)
        if (io.outputSource[i] != io.previousOutputSource[i])
            out.marks[out.count++] = {i, io.outputSource[i]};
    return out;
}

void SetIoStatusNotify(void (*notify)())
{
    std::lock_guard<std::mutex> lock(PendingLock);
    Notify = notify;
    Pending = IoStatusDraws();
}

void PublishSourceDraw(const IoStatusRecord& io)
{
    Publish([&io](IoStatusDraws& p) {
        MergePair(p.sources, p.status.previousOutputChannel, p.status.outputChannel, io.previousOutputChannel,
                  io.outputChannel);
    });
}

void PublishVideoLossDraw(const IoStatusRecord& io)
{
    Publish([&io](IoStatusDraws& p) {
        MergePair(p.videoLoss, p.status.previousVideoLoss, p.status.videoLoss, io.previousVideoLoss, io.videoLoss);
    });
}

void PublishPatternDraw(const IoStatusRecord& io)
{
    Publish([&io](IoStatusDraws& p) {
        MergePair(p.patterns, p.status.previousOutputSource, p.status.outputSource, io.previousOutputSource,
                  io.outputSource);
    });
}

IoStatusDraws TakeIoStatusDraws()
{
    std::lock_guard<std::mutex> lock(PendingLock);
    IoStatusDraws taken = Pending;
    Pending = IoStatusDraws();
    return taken;
}

void ClearIoStatusDraws()
{
    std::lock_guard<std::mutex> lock(PendingLock);
    Pending = IoStatusDraws();
}

void ApplyIoStatusDraws(IoStatusRecord& shown, const IoStatusDraws& draws)
{
    if (draws.sources)
        memcpy(shown.outputChannel, draws.status.outputChannel, sizeof shown.outputChannel);
    if (draws.videoLoss)
        memcpy(shown.videoLoss, draws.status.videoLoss, sizeof shown.videoLoss);
    if (draws.patterns)
        memcpy(shown.outputSource, draws.status.outputSource, sizeof shown.outputSource);
}
