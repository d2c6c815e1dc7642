// The dialog-side (TCP) reply entry. Input: a chunk length (0: the whole line
// in one receive), then the bytes of one reply line, cut after its first line
// feed (a receive that holds several lines is not what this target checks),
// handed to the entry in receives of that length, a command outstanding.
//
// Invariants: every receive before the line feed leaves the line pending and
// the model untouched; how the line is cut into receives does not change
// what it does; a reply not taken as good leaves the model byte-for-byte as it
// was; a good reply, applied once more, is good again and leaves the model as
// the first application did (the previous live-status values aside).
#include <algorithm>
#include <string>

#include "app/program_state.h"
#include "fuzz_support.h"
#include "link/transaction.h"
#include "protocol/reply_parser.h"

namespace {

// Feeds the line in receives of `chunk` bytes; returns the reply status, or
// -1 when the line never ended.
int32_t Feed(DeviceModelData& model, const std::string& line, size_t chunk)
{
    TransactionState.busy = 1;
    TransactionState.replyWait = 1;
    const int32_t statusBefore = TransactionState.replyStatus;
    for (size_t at = 0; at < line.size(); at += chunk) {
        const size_t count = std::min(chunk, line.size() - at);
        // A receive buffer of exactly the bytes received.
        std::string received = line.substr(at, count);
        const DialogReplyResult result =
            ParseDialogReply(model, received.data(), static_cast<int>(received.size()));
        if (at + count < line.size() || line.back() != '\n') {
            KVR_FUZZ_CHECK(result == kDialogReplyPartial);
            KVR_FUZZ_CHECK(TransactionState.busy == 1 && TransactionState.replyStatus == statusBefore);
        } else {
            KVR_FUZZ_CHECK(result == kDialogReplyDone);
            KVR_FUZZ_CHECK(TransactionState.busy == 0 && TransactionState.replyWait == 0);
            return TransactionState.replyStatus;
        }
    }
    return -1;
}

void Start()
{
    ResetProgramState();
    memcpy(DeviceModel.RequestedGlyphCode, kFuzzGlyphCode, sizeof kFuzzGlyphCode);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    std::string line(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t feed = line.find('\n');
    if (feed != std::string::npos)
        line.resize(feed + 1);
    const size_t chunk = data[0] == 0 ? line.size() : data[0];

    // The line in one receive: the reference.
    Start();
    static DeviceModelData whole;
    const int32_t wholeStatus = Feed(DeviceModel, line, line.size());
    memcpy(&whole, &DeviceModel, sizeof whole);

    Start();
    static DeviceModelData before;
    memcpy(&before, &DeviceModel, sizeof before);
    const int32_t status = Feed(DeviceModel, line, chunk);
    KVR_FUZZ_CHECK(status == wholeStatus);
    KVR_FUZZ_CHECK(SameModel(DeviceModel, whole));
    if (status != kReplyGood) {
        KVR_FUZZ_CHECK(SameModel(DeviceModel, before));
        return 0;
    }

    static DeviceModelData once;
    memcpy(&once, &DeviceModel, sizeof once);
    KVR_FUZZ_CHECK(Feed(DeviceModel, line, line.size()) == kReplyGood);
    KeepPreviousLiveStatus(DeviceModel, once);
    KVR_FUZZ_CHECK(SameModel(DeviceModel, once));
    return 0;
}
