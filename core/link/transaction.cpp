#include "link/transaction.h"

TransactionStateRecord TransactionState;

void ResetTransaction(TransactionStateRecord& transaction)
{
    transaction.sequenceTimer = 0;
    transaction.replyStatus = kReplyGood;
    transaction.sendFailed = 0;
    transaction.stepCounter = 0;
    transaction.sequencePhase = kPhaseSingle;
    transaction.replyWait = 0;
    transaction.busy = 0;
}

void ResetTransaction()
{
    ResetTransaction(TransactionState);
}

void SetCompletionFromPhase(TransactionStateRecord& transaction)
{
    int32_t phase = transaction.sequencePhase;
    if (phase == kPhaseSingle)
        transaction.completionCode = kCompletionSingle;
    else if (phase == kPhaseLast)
        transaction.completionCode = kCompletionSequence;
}

void SetCompletionFromPhase()
{
    SetCompletionFromPhase(TransactionState);
}

void TimeOutReply(TransactionStateRecord& transaction, bool stopSequence)
{
    if (stopSequence)
        transaction.replyStatus = kReplyStopSequence;
    transaction.replyWait = 0;
    transaction.busy = 0;
}
