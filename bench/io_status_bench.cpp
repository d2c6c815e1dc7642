// Input/output status window benchmark: what the window draws per poll over
// 100 polls of a unit with a flapping input and an output on an auto-switch
// pattern. The replies go through the serial reply parser, the hand-over to
// the window and the window's decisions of what changed; the unit's own
// changes are counted here, independently, for the bound
//   cells + marks per poll <= 2 x (outputs changed) + (inputs changed) + (marks changed).
// Exits 1 if any poll draws more than that.
#include <algorithm>
#include <cstdio>
#include <string>

#include "dialogs/routing/io_status_view.h"
#include "link/link_state.h"
#include "link/text_conversions.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "protocol/reply_parser.h"

namespace {

constexpr int kPolls = 100;
constexpr int kPollMs = 500;
constexpr int kFlapMs = 1000;       // one input at a time loses its video for 1 s, then the next
constexpr int kDwellMs = 3000;      // output 2 runs pattern 3: a new input every 3 s
constexpr int kCycledOutput = 1;
constexpr int kPattern = 2;

// What the unit shows at `nowMs`.
struct Unit {
    int channel[kOutputCount];
    int source[kOutputCount];   // kOutputSourceInput or the pattern
    int video[kMaxChannels];    // 1 present, 0 lost
};

Unit UnitAt(int nowMs)
{
    Unit u;
    for (int i = 0; i < kOutputCount; ++i) {
        u.channel[i] = i;
        u.source[i] = kOutputSourceInput;
    }
    u.source[kCycledOutput] = kPattern;
    u.channel[kCycledOutput] = (nowMs / kDwellMs) % 64;
    const int turn = nowMs / (2 * kFlapMs);
    const bool lost = (nowMs / kFlapMs) % 2 == 1;
    for (int j = 0; j < kMaxChannels; ++j)
        u.video[j] = 1;
    if (lost)
        u.video[turn % 64] = 0;
    return u;
}

std::string Digits(int value)
{
    char text[2];
    FormatTwoDigits(value, text);
    return std::string(text, 2);
}

std::string ReplyFor(int counter, const Unit& u)
{
    std::string line;
    switch (counter % 3) {
    case 0:
        line = "OS";
        for (int i = 0; i < kOutputCount; ++i)
            line += u.source[i] == kOutputSourceInput ? "I" + Digits(u.channel[i] + 1) : "S" + Digits(u.source[i] + 1);
        break;
    case 1:
        line = "OCD";
        for (int i = 0; i < kOutputCount; ++i)
            line += Digits(u.channel[i] + 1);
        break;
    default:
        line = "VL";
        for (int j = 0; j < 64; ++j)
            line += u.video[j] ? "N" : "F";
        break;
    }
    return line + "\r\n";
}

void Notified() {}

} // namespace

int main()
{
    ResetModelToStartValues(DeviceModel);
    const int channels = DeviceModel.ChannelCount;
    OpenIoStatus(DeviceModel.IoStatus);
    SetIoStatusNotify(Notified);

    // What the window shows of each kind, for the unit's own change counts
    // (255 / present at opening, as the window starts).
    Unit seen;
    for (int i = 0; i < kOutputCount; ++i)
        seen.channel[i] = seen.source[i] = kOutputSourceInput;
    for (int& v : seen.video)
        v = 1;

    long totalCells = 0, totalMarks = 0, totalBound = 0;
    int mostPerPoll = 0, overBound = 0;
    for (int poll = 0; poll < kPolls; ++poll) {
        const int counter = poll % kIoStatusPollWrap;
        const Unit u = UnitAt(poll * kPollMs);
        TransactionState.busy = 1;
        TransactionState.replyWait = 1;
        ParseSerialReply(DeviceModel, ReplyFor(counter, u).c_str());

        const IoStatusDraws draws = TakeIoStatusDraws();
        int cells = 0, marks = 0, bound = 0;
        if (draws.sources)
            cells += ChangedSourceCells(draws.status, channels).count;
        if (draws.videoLoss)
            marks += ChangedVideoLossMarks(draws.status, channels).count;
        if (draws.patterns)
            marks += ChangedPatternMarks(draws.status).count;

        switch (counter % 3) {
        case 0:
            for (int i = 0; i < kOutputCount; ++i)
                bound += u.source[i] != seen.source[i];
            std::copy(u.source, u.source + kOutputCount, seen.source);
            break;
        case 1:
            for (int i = 0; i < kOutputCount; ++i)
                bound += 2 * (u.channel[i] != seen.channel[i]);
            std::copy(u.channel, u.channel + kOutputCount, seen.channel);
            break;
        default:
            for (int j = 0; j < channels; ++j)
                bound += u.video[j] != seen.video[j];
            std::copy(u.video, u.video + kMaxChannels, seen.video);
            break;
        }
        totalCells += cells;
        totalMarks += marks;
        totalBound += bound;
        if (cells + marks > mostPerPoll)
            mostPerPoll = cells + marks;
        if (cells + marks > bound) {
            ++overBound;
            printf("poll %d draws %d cells and %d marks, above its bound %d\n", poll, cells, marks, bound);
        }
    }

    printf("%d polls (ROS/ROCD/RVL), one input flapping every %d ms, output %d on pattern %d (%d ms per input)\n",
           kPolls, kFlapMs, kCycledOutput + 1, kPattern + 1, kDwellMs);
    printf("cells drawn: %ld, marks drawn: %ld, bound: %ld\n", totalCells, totalMarks, totalBound);
    printf("per poll: %.2f cells + marks on average, at most %d (a full repaint: %d cells)\n",
           static_cast<double>(totalCells + totalMarks) / kPolls, mostPerPoll, kOutputCount * channels);
    printf("polls above the bound: %d\n", overBound);
    return overBound == 0 ? 0 : 1;
}
