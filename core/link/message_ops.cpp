#include "link/message_ops.h"

#include "link/transaction.h"

MessageSinkFn MessageSink = nullptr;

int ShowMessage(const MessageRequest& request)
{
    if (MessageSink)
        return MessageSink(request);
    return request.buttons == kButtonsYesNo ? kAnswerNo : kAnswerOk;
}

static void ShowTaskModal(const char* text, const char* caption, MessageIcon icon)
{
    ShowMessage({text, caption, icon, kButtonsOk, true, kOwnerNone});
}

void ShowInfo(const char* text)
{
    ShowTaskModal(text, "Success", kIconNone);
}

void ShowError(const char* text)
{
    ShowTaskModal(text, "Error", kIconError);
}

void ShowWarning(const char* text)
{
    ShowTaskModal(text, "Error", kIconWarning);
}

void ShowReplyError(const char* text)
{
    TransactionState.replyWait = 0;
    TransactionState.replyStatus =
        TransactionState.sequencePhase != kPhaseSingle ? kReplyStopSequence : kReplyGood;
    ShowTaskModal(text, "Error", kIconError);
}
