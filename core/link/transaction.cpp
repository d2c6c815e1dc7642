#include "link/transaction.h"

TransactionStateRecord TransactionState;

void ResetTransaction()
{
    TransactionState.sequenceTimer = 0;
    TransactionState.replyStatus = kReplyGood;
    TransactionState.sendFailed = 0;
    TransactionState.stepCounter = 0;
    TransactionState.sequencePhase = kPhaseSingle;
    TransactionState.replyWait = 0;
    TransactionState.busy = 0;
}

void SetCompletionFromPhase()
{
    int32_t phase = TransactionState.sequencePhase;
    if (phase == kPhaseSingle)
        TransactionState.completionCode = kCompletionSingle;
    else if (phase == kPhaseLast)
        TransactionState.completionCode = kCompletionSequence;
}

bool RefuseCommand()
{
    TransactionState.replyStatus = kReplyCommandError;
    return false;
}
