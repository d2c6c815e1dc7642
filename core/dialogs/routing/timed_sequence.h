// The timed sequence of the table dialogs (all patterns, titles) and of the
// maintenance runs (read all, set all, unit network read): a dialog timer
// sends one command per tick, and only when the previous one has been
// answered. The dialog keeps its controls; this is the stepping.
#pragma once

#include "link/transaction.h"
#include "protocol/device_model.h"

// What a timed sequence sends and how fast: `length` commands, command
// `step` (1-based) sent by `sendStep`, one per tick of the dialog timer
// `timerId` every `periodMs`. Each dialog's timer id is its own, so a dialog
// knows its sequence is the one running.
struct SequenceSteps {
    int timerId = 0;
    int periodMs = 0;
    int length = 0;
    bool (*sendStep)(int step) = nullptr;
    // The same step for any model, where the step needs nothing but the
    // model (read all, set all): a caller with many units sends each its own.
    bool (*sendModelStep)(const DeviceModelData& model, int step) = nullptr;
};

enum SequenceTick {
    kSequenceWaiting,       // a reply is outstanding, or a status is being reported
    kSequenceStepSent,      // the next command went out
    kSequenceSucceeded,     // the last command was acknowledged
    kSequenceEnded,         // an error, a time-out or a failed send ended it
};

// True while the sequence of the dialog with this timer is running.
bool SequenceRunning(const SequenceSteps& steps);

// Starts the sequence (the caller has checked that nothing is busy).
void StartSequence(const SequenceSteps& steps);
void StartSequence(TransactionStateRecord& transaction, const SequenceSteps& steps);

// One timer tick. On kSequenceStepSent, `percent` holds step × 100 div length.
SequenceTick TickSequence(const SequenceSteps& steps, int& percent);

// The tick's decision on any transaction, without the sending: on
// kSequenceStepSent the caller sends step `step` now (the step counter and
// the phase already say it went out).
SequenceTick AdvanceSequence(TransactionStateRecord& transaction, const SequenceSteps& steps, int& step);

// Cancel: ignored (returns false) once the last command is under way.
// Otherwise the sequence stops and reports of errors are suppressed until
// the caller, after its "中止しました" message, calls EndCancel.
bool CancelSequence();
void EndCancel();
