#include "app/status_timer.h"

#include <cstdint>

#include "link/link_state.h"
#include "link/message_ops.h"
#include "link/transaction.h"
#include "protocol/reply_parser.h"

StatusWindowOps StatusWindowHooks = {nullptr, nullptr};

const char* ReplyStatusText(int status)
{
    static const char* const kTexts[] = {
        "Menu Display", "Alarm Display", "Lock Display", "Mode Error",
        "Framing Error", "Parity Error", "Over Run Error", "Command Error",
    };
    if (status >= kReplyMenu && status <= kReplyCommandError)
        return kTexts[status - 1];
    return "Command Error";
}

void CloseIoStatusWindow()
{
    if (IoStatusWindowOpen) {
        if (StatusWindowHooks.close)
            StatusWindowHooks.close();
        IoStatusWindowOpen = 0;
    }
}

// Every state change comes before its box: the box runs a message loop in
// which this tick runs again, and it must not report the same thing twice.
void StatusTimerTick()
{
    const int status = TransactionState.replyStatus;
    if (status != kReplyGood && status != kReplyStopSequence) {
        if (IoStatusWindowOpen && StatusWindowHooks.stopPolling)
            StatusWindowHooks.stopPolling();
        if (TransactionState.suppress) {
            // A cancel message is on screen: the reply is not reported.
            TransactionState.replyStatus = kReplyGood;
        } else {
            ShowReplyError(ReplyStatusText(status));
        }
        CloseIoStatusWindow();
        return;
    }

    if (TransactionState.completionCode == kCompletionSingle) {
        TransactionState.completionCode = kCompletionNone;
        TransactionState.replyWait = 0;
        if (!IoStatusWindowOpen)
            ShowMessage({"Success", "接続成功", kIconNone, kButtonsOk, false, kOwnerNone});
        return;
    }

    // The receive thread may clear the counter at any moment (the reply came):
    // count only while it still holds what we read, so that a reply arriving
    // during the tick is never turned back into a wait. The tick that gives
    // up takes the counter to 0 in the same step: the reply and the time-out
    // each take the command from there, so only one of them ends it.
    int32_t ticks = TransactionState.replyWait;
    while (ticks != 0 && !TransactionState.replyWait.compare_exchange_weak(
                             ticks, ticks + 1 > kReplyTimeoutTicks ? 0 : ticks + 1)) {
    }
    if (ticks != 0) {
        if (ticks + 1 > kReplyTimeoutTicks) {
            TimeOutReply(TransactionState,
                         TransactionState.sequencePhase != kPhaseSingle || IoStatusWindowOpen);
            ResetDialogReplyLine();   // as FailCommand: no part of a reply outlives its command
            ShowMessage({"No Connect", "接続失敗", kIconError, kButtonsOk, false, kOwnerNone});
            CloseIoStatusWindow();
        }
    }
}
