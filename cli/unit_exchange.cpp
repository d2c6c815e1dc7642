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

void UnitReceived(UnitExchange& unit, const char* bytes, int count, int64_t nowMs)
{
    if (unit.state != UnitState::kRunning || count <= 0)
        return;
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
        // No unit answers a broadcast: the next step waits at least until
        // the line has carried this one (11 bits a character at 9600 baud).
        if (unit.channel.rs485Address == kSlaveBroadcast)
            unit.nextTickMs = std::max(unit.nextTickMs, nowMs + (unit.channel.frameLength * 11 * 1000 + 9599) / 9600);
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

void FailUnit(UnitExchange& unit, const std::string& message)
{
    if (unit.state != UnitState::kRunning)
        return;
    unit.state = UnitState::kFailed;
    unit.message = message;
    unit.replyDeadlineMs = kNever;
    ResetTransaction(unit.transaction);
}
