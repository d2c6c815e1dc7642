// The timed sequence of the table dialogs (all patterns, titles) and of the
// maintenance runs (read all, set all, unit network read): a dialog timer
// sends one command per tick, and only when the previous one has been
// answered. The dialog keeps its controls; this is the stepping.
#pragma once

struct SequenceSpec {
    int timerId;                 // the dialog timer that drives it
    int length;                  // number of commands
    bool (*sendStep)(int step);  // sends command `step` (1-based)
};

enum SequenceTick {
    kSequenceWaiting,       // a reply is outstanding, or a status is being reported
    kSequenceStepSent,      // the next command went out
    kSequenceSucceeded,     // the last command was acknowledged
    kSequenceEnded,         // an error, a time-out or a failed send ended it
};

// True while the sequence of the dialog with this timer is running.
bool SequenceRunning(const SequenceSpec& spec);

// Starts the sequence (the caller has checked that nothing is busy).
void StartSequence(const SequenceSpec& spec);

// One timer tick. On kSequenceStepSent, `percent` holds step × 100 div length.
SequenceTick TickSequence(const SequenceSpec& spec, int& percent);

// Cancel: ignored (returns false) once the last command is under way.
// Otherwise the sequence stops and reports of errors are suppressed until
// the caller, after its "中止しました" message, calls EndCancel.
bool CancelSequence();
void EndCancel();

// A table shows `pageSize` entries at a time: true when `next` lies on
// another page than `previous`, so the whole table must be painted again.
bool PageChanged(int previous, int next, int pageSize);
