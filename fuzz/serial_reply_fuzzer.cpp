// The serial reply entry on one line. Input: a control byte (see
// fuzz_support.h: RS-232C or RS-485 with its slave address, whether a command
// is outstanding), then the line; it is cut after its first line feed, as the
// serial line buffer hands it over, and may hold NULs.
//
// Invariants: a reply that is not taken as good leaves the model byte-for-byte
// as it was; a good reply, applied once more, is good again and leaves the
// model as the first application did (the live-status replies keep the
// previous values, which the second application moves on: those are left out).
#include <string>

#include "app/program_state.h"
#include "fuzz_support.h"
#include "link/link_state.h"
#include "link/transaction.h"
#include "protocol/reply_parser.h"

namespace {

// Runs the entry as the receive thread would: from a 600-byte line buffer.
int32_t Parse(DeviceModelData& model, const std::string& line, bool busy)
{
    char buffer[kReplyLineBytes] = {};
    memcpy(buffer, line.data(), line.size());
    TransactionState.busy = busy ? 1 : 0;
    TransactionState.replyWait = busy ? 1 : 0;
    ParseSerialReply(model, buffer);
    KVR_FUZZ_CHECK(TransactionState.busy == 0 && TransactionState.replyWait == 0);
    return TransactionState.replyStatus;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t control = data[0];
    std::string line(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t feed = line.find('\n');
    if (feed != std::string::npos)
        line.resize(feed + 1);
    if (line.size() > static_cast<size_t>(kMaxReplyLineLength))
        return 0;   // the line buffer never hands over more

    ResetProgramState();
    ControlMode = (control & kFuzzRs485) ? kControlRs485 : kControlRs232c;
    SlaveAddress = (control >> kFuzzAddressShift) & kFuzzAddressMask;
    memcpy(DeviceModel.RequestedGlyphCode, kFuzzGlyphCode, sizeof kFuzzGlyphCode);
    const bool busy = (control & kFuzzBusy) != 0;

    static DeviceModelData before;
    memcpy(&before, &DeviceModel, sizeof before);
    if (Parse(DeviceModel, line, busy) != kReplyGood) {
        KVR_FUZZ_CHECK(SameModel(DeviceModel, before));
        return 0;
    }

    static DeviceModelData once;
    memcpy(&once, &DeviceModel, sizeof once);
    KVR_FUZZ_CHECK(Parse(DeviceModel, line, busy) == kReplyGood);
    KeepPreviousLiveStatus(DeviceModel, once);
    KVR_FUZZ_CHECK(SameModel(DeviceModel, once));
    return 0;
}
