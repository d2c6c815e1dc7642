#include "dialogs/routing/timed_sequence.h"

#include "link/transaction.h"

bool SequenceRunning(const SequenceSteps& steps)
{
    return TransactionState.sequenceTimer == steps.timerId;
}

void StartSequence(TransactionStateRecord& transaction, const SequenceSteps& steps)
{
    transaction.sequenceTimer = steps.timerId;
    transaction.stepCounter = 0;
    transaction.sequencePhase = kPhaseRunning;
}

void StartSequence(const SequenceSteps& steps)
{
    StartSequence(TransactionState, steps);
}

SequenceTick AdvanceSequence(TransactionStateRecord& transaction, const SequenceSteps& steps, int& step)
{
    // The busy flag first: a reply is published with it cleared last, so
    // while it is set nothing else of the command can be trusted yet, and
    // once it is clear the reply's status and completion are all there.
    if (transaction.busy.load(std::memory_order_acquire))
        return kSequenceWaiting;
    if (transaction.completionCode == kCompletionSequence ||
        transaction.replyStatus == kReplyStopSequence || transaction.sendFailed) {
        const bool succeeded = transaction.completionCode == kCompletionSequence;
        ResetTransaction(transaction);
        if (succeeded)
            transaction.completionCode = kCompletionNone;
        return succeeded ? kSequenceSucceeded : kSequenceEnded;
    }
    if (transaction.replyWait != 0 || transaction.replyStatus != kReplyGood)
        return kSequenceWaiting;

    step = transaction.stepCounter + 1;
    transaction.stepCounter = step;
    if (step == steps.length)
        transaction.sequencePhase = kPhaseLast;
    return kSequenceStepSent;
}

SequenceTick TickSequence(const SequenceSteps& steps, int& percent)
{
    int step = 0;
    const SequenceTick tick = AdvanceSequence(TransactionState, steps, step);
    if (tick == kSequenceStepSent) {
        steps.sendStep(step);
        percent = steps.length > 0 ? step * 100 / steps.length : 100;
    }
    return tick;
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
