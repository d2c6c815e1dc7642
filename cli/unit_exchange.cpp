#include "cli/unit_exchange.h"

#include <algorithm>
#include <cstring>

#include "app/status_timer.h"
#include "link/link_state.h"

namespace {

void Deliver(CommandChannel& channel, const char* frame, int length)
{
    UnitExchange& unit = *static_cast<UnitExchange*>(channel.owner);
    unit.outbox.append(frame, static_cast<size_t>(length));
}

std::string WithoutLineEnd(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

void Succeed(UnitExchange& unit)
{
    unit.state = UnitState::kSucceeded;
    unit.replyDeadlineMs = kNever;
}

// The next tick on the dialog timer's grid after `nowMs`; a reply that came
// after a tick was skipped waits for the following one, as in the dialogs.
int64_t NextGridTick(const UnitExchange& unit, int64_t nowMs)
{
    if (unit.paceMs <= 0)
        return nowMs;
    const int64_t elapsed = nowMs - unit.startMs;
    return unit.startMs + (elapsed / unit.paceMs + 1) * unit.paceMs;
}

// After a step went out (or was refused) and after every reply: the unit
// ends when the transaction says so.
void Settle(UnitExchange& unit)
{
    TransactionStateRecord& t = unit.transaction;
    const int status = t.replyStatus;
    if (status >= kReplyMenu && status <= kReplyCommandError) {
        FailUnit(unit, ReplyStatusText(status));
        return;
    }
    if (t.sendFailed) {
        FailUnit(unit, "the connection was closed");
        return;
    }
    const int32_t done = unit.steps ? kCompletionSequence : kCompletionSingle;
    if (t.completionCode == done) {
        t.completionCode = kCompletionNone;
        ResetTransaction(t);
        Succeed(unit);
    }
}

void SendCurrent(UnitExchange& unit, int64_t nowMs, bool built)
{
    unit.command = WithoutLineEnd(std::string(unit.channel.frame, static_cast<size_t>(unit.channel.frameLength)));
    unit.replyDeadlineMs = unit.transaction.replyWait != 0 ? nowMs + ReplyTimeoutMs() : kNever;
    if (!built) {
        unit.command.clear();
        FailUnit(unit, "Command Error (the command could not be built from these settings)");
        return;
    }
    Settle(unit);
}

} // namespace

int64_t ReplyTimeoutMs()
{
    return static_cast<int64_t>(kReplyTimeoutTicks) * kStatusTimerPeriodMs;
}

void PrepareUnit(UnitExchange& unit, int rs485Address)
{
    ResetTransaction(unit.transaction);
    unit.transaction.completionCode = kCompletionNone;
    unit.transaction.suppress = 0;
    unit.channel.transaction = &unit.transaction;
    unit.channel.rs485Address = rs485Address;
    unit.channel.deliver = Deliver;
    unit.channel.owner = &unit;
    unit.channel.frameLength = 0;
    ResetSerialLines(unit.serialLines);
    ResetDialogReplyLine(unit.dialogLine);
}

void StartUnit(UnitExchange& unit, int64_t nowMs)
{
    unit.state = UnitState::kRunning;
    unit.startMs = nowMs;
    unit.nextTickMs = nowMs;
    if (unit.steps) {
        StartSequence(unit.transaction, *unit.steps);
        TickUnit(unit, nowMs);
        return;
    }
    unit.step = 1;
    const std::string command = unit.text + "\r\n";
    SendingOnChannel sending(unit.channel);
    SendCommand(command.c_str());
    SendCurrent(unit, nowMs, true);
}

namespace {

// An RS-485 unit's reply line begins with its two-digit address. A line that
// begins with another address is not this unit's reply, however it came to
// be on the line.
bool OtherUnitsLine(const std::string& line, int address)
{
    if (line.size() < 2 || line[0] < '0' || line[0] > '9' || line[1] < '0' || line[1] > '9')
        return false;
    const int from = (line[0] - '0') * 10 + (line[1] - '0');
    return from <= kMaxSlaveAddress && from != address;
}

} // namespace

int64_t SerialLineTimeMs(int bytes)
{
    return (static_cast<int64_t>(bytes) * 11 * 1000 + 9599) / 9600;
}

namespace {

// The bytes for the unit's parser: on an RS-485 bus, whole lines only, and
// none that another address sent.
std::string OwnBusBytes(UnitExchange& unit, const char* bytes, int count)
{
    const int address = unit.channel.rs485Address;
    if (!unit.serialReplies || address < 0 || address > kMaxSlaveAddress)
        return std::string(bytes, static_cast<size_t>(count));
    std::string own;
    unit.pendingLine.append(bytes, static_cast<size_t>(count));
    for (size_t newline; (newline = unit.pendingLine.find('\n')) != std::string::npos;) {
        const std::string line = unit.pendingLine.substr(0, newline + 1);
        unit.pendingLine.erase(0, newline + 1);
        // A line longer than any reply is nobody's: the parser refuses it.
        if (line.size() - 1 <= kMaxReplyLineLength && OtherUnitsLine(line, address))
            unit.strayReplies.push_back(WithoutLineEnd(line));
        else
            own += line;
    }
    if (unit.pendingLine.size() > kMaxReplyLineLength) {
        own += unit.pendingLine;   // no reply is that long: the parser refuses it
        unit.pendingLine.clear();
    }
    return own;
}

} // namespace

void UnitReceived(UnitExchange& unit, const char* received, int receivedCount, int64_t nowMs)
{
    if (unit.state != UnitState::kRunning || receivedCount <= 0)
        return;
    const std::string own = OwnBusBytes(unit, received, receivedCount);
    if (own.empty())
        return;
    const char* bytes = own.data();
    const int count = static_cast<int>(own.size());
    unit.pendingReply.append(bytes, static_cast<size_t>(count));
    for (size_t newline; (newline = unit.pendingReply.find('\n')) != std::string::npos;) {
        unit.reply = WithoutLineEnd(unit.pendingReply.substr(0, newline + 1));
        unit.pendingReply.erase(0, newline + 1);
    }
    if (unit.pendingReply.size() > kMaxReplyLineLength)
        unit.pendingReply.clear();   // the parsers refuse such a line; keep no more of it

    if (unit.serialReplies)
        FeedSerialBytes(unit.model, unit.transaction, unit.channel.rs485Address, unit.serialLines, bytes, count);
    else
        ParseDialogReply(unit.model, unit.transaction, unit.dialogLine, bytes, count);

    if (unit.transaction.replyWait == 0) {
        unit.replyDeadlineMs = kNever;
        if (unit.nextTickMs <= nowMs)
            unit.nextTickMs = NextGridTick(unit, nowMs - 1);
    }
    Settle(unit);
}

void UnitLinkLost(UnitExchange& unit, const char* what)
{
    if (unit.state != UnitState::kRunning)
        return;
    if (unit.steps && unit.step > 0 && unit.transaction.replyWait == 0) {
        // Between steps: the last one was answered, the next can no longer go out.
        ++unit.step;
        unit.command.clear();
        unit.reply.clear();
    }
    FailUnit(unit, what);
}

void TickUnit(UnitExchange& unit, int64_t nowMs)
{
    if (unit.state != UnitState::kRunning)
        return;
    TransactionStateRecord& t = unit.transaction;
    if (t.replyWait != 0) {
        if (nowMs >= unit.replyDeadlineMs) {
            TimeOutReply(t, unit.steps != nullptr);
            FailUnit(unit, "No Connect (no reply within " + std::to_string(ReplyTimeoutMs()) + " ms)");
        }
        return;
    }
    if (!unit.steps || nowMs < unit.nextTickMs)
        return;
    if (unit.earliestStep && !t.busy) {
        const int64_t at = unit.earliestStep(unit, t.stepCounter + 1, nowMs);
        if (unit.state != UnitState::kRunning)
            return;
        if (at > nowMs) {
            unit.nextTickMs = at;
            return;
        }
    }
    unit.nextTickMs = NextGridTick(unit, nowMs);

    int step = 0;
    switch (AdvanceSequence(t, *unit.steps, step)) {
    case kSequenceStepSent: {
        unit.step = step;
        bool built;
        {
            SendingOnChannel sending(unit.channel);
            unit.channel.frameLength = 0;
            built = unit.steps->sendModelStep(unit.model, step);
        }
        SendCurrent(unit, nowMs, built);
        if (unit.channel.rs485Address == kSlaveBroadcast)
            unit.nextTickMs = std::max({unit.nextTickMs, nowMs + kBroadcastStepMs,
                                        nowMs + SerialLineTimeMs(unit.channel.frameLength)});
        break;
    }
    case kSequenceSucceeded:
        Succeed(unit);
        break;
    case kSequenceEnded:
        FailUnit(unit, "the sequence was stopped");
        break;
    case kSequenceWaiting:
        break;
    }
}

int64_t UnitWakeTime(const UnitExchange& unit)
{
    if (unit.state != UnitState::kRunning)
        return kNever;
    if (unit.transaction.replyWait != 0)
        return unit.replyDeadlineMs;
    return unit.steps ? unit.nextTickMs : kNever;
}

int UnitStepsDone(const UnitExchange& unit)
{
    if (unit.state == UnitState::kSucceeded)
        return UnitStepCount(unit);
    // The step under way is done once its reply came; a failed one is not.
    const bool open = unit.state == UnitState::kFailed || unit.transaction.replyWait != 0;
    return unit.step > 0 && open ? unit.step - 1 : unit.step;
}

int UnitStepCount(const UnitExchange& unit)
{
    return unit.steps ? unit.steps->length : 1;
}

int64_t ProvisionClockHold(UnitExchange& unit, const ProvisionPlan& plan, int nextStep, int64_t nowMs)
{
    const int first = FirstClockStep(plan);
    if (first == 0 || nextStep < first || nextStep > plan.length)
        return nowMs;
    // "TSSss" and its line end, after the address on a bus; over TCP the
    // time on the wire is not worth counting.
    const int frameBytes = unit.channel.rs485Address == kNoAddressPrefix ? 7 : 9;
    const int leadMs = unit.serialReplies ? static_cast<int>(SerialLineTimeMs(frameBytes)) : 0;
    const ClockStepTiming timing = TimeClockStep(unit.clockRun, nextStep - first, ProvisionClock(), leadMs);
    switch (timing.go) {
    case kClockWait: return nowMs + timing.waitMs;
    case kClockRestart: unit.transaction.stepCounter = first - 1; return nowMs + timing.waitMs;
    case kClockGiveUp:
        FailUnit(unit, "the clock was not set: the PC's minute turned while its fields went out, " +
                           std::to_string(kProvisionClockRestarts + 1) + " times in a row");
        return kNever;
    case kClockGo: break;
    }
    return nowMs;
}

void FailUnit(UnitExchange& unit, const std::string& message)
{
    if (unit.state != UnitState::kRunning)
        return;
    unit.state = UnitState::kFailed;
    unit.message = message;
    unit.replyDeadlineMs = kNever;
    ResetTransaction(unit.transaction);
}
