#include "dialogs/routing/timed_sequence.h"

#include "link/transaction.h"

bool SequenceRunning(const SequenceSteps& steps)
{
    return TransactionState.sequenceTimer == steps.timerId;
}

void StartSequence(const SequenceSteps& steps)
{
    TransactionState.sequenceTimer = steps.timerId;
    TransactionState.stepCounter = 0;
    TransactionState.sequencePhase = kPhaseRunning;
}

SequenceTick TickSequence(const SequenceSteps& steps, int& percent)
{
    if (TransactionState.completionCode == kCompletionSequence ||
        TransactionState.replyStatus == kReplyStopSequence || TransactionState.sendFailed) {
        const bool succeeded = TransactionState.completionCode == kCompletionSequence;
        ResetTransaction();
        if (succeeded)
            TransactionState.completionCode = kCompletionNone;
        return succeeded ? kSequenceSucceeded : kSequenceEnded;
    }
    if (TransactionState.replyWait != 0 || TransactionState.replyStatus != kReplyGood)
        return kSequenceWaiting;

    const int step = TransactionState.stepCounter + 1;
    TransactionState.stepCounter = step;
    if (step == steps.length)
        TransactionState.sequencePhase = kPhaseLast;
    steps.sendStep(step);
    percent = steps.length > 0 ? step * 100 / steps.length : 100;
    return kSequenceStepSent;
}

bool CancelSequence()
{
    if (TransactionState.sequencePhase == kPhaseLast)
        return false;
    TransactionState.suppress = 1;
    ResetTransaction();
    return true;
}

void EndCancel()
{
    TransactionState.suppress = 0;
}
