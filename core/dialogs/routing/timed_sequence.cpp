#include "dialogs/routing/timed_sequence.h"

#include "link/transaction.h"

bool SequenceRunning(const SequenceSpec& spec)
{
    return TransactionState.sequenceTimer == spec.timerId;
}

void StartSequence(const SequenceSpec& spec)
{
    TransactionState.sequenceTimer = spec.timerId;
    TransactionState.stepCounter = 0;
    TransactionState.sequencePhase = kPhaseRunning;
}

SequenceTick TickSequence(const SequenceSpec& spec, int& percent)
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
    if (step == spec.length)
        TransactionState.sequencePhase = kPhaseLast;
    spec.sendStep(step);
    percent = spec.length > 0 ? step * 100 / spec.length : 100;
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

bool PageChanged(int previous, int next, int pageSize)
{
    return pageSize > 0 && previous / pageSize != next / pageSize;
}
