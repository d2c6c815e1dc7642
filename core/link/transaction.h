// The shared state of the one command that may be outstanding at a time.
// The dialogs, the reply parsers (on the serial receive thread or the user
// interface thread) and the main window's status timer agree through it. Each
// field is a single word with one writer at a time; atomics make that explicit.
#pragma once

#include <atomic>
#include <cstdint>

// Reply status values. 1..8 are the unit's notice and error replies.
enum : int32_t {
    kReplyGood = 0,
    kReplyMenu = 1,          // "MENU"
    kReplyAlarm = 2,         // "ALARM"
    kReplyLock = 3,          // "LOCK"
    kReplyModeError = 4,     // "GN"
    kReplyFramingError = 5,  // "E0"
    kReplyParityError = 6,   // "E1"
    kReplyOverrunError = 7,  // "E2"
    kReplyCommandError = 8,  // "E3", a malformed reply, or a command refused before sending
    kReplyStopSequence = 10, // the running sequence must stop
};

// Completion codes.
enum : int32_t {
    kCompletionNone = 0,
    kCompletionSingle = 1,   // a single command was acknowledged
    kCompletionSequence = 2, // the last command of a sequence was acknowledged
};

// Sequence phases.
enum : int32_t {
    kPhaseSingle = 0,
    kPhaseRunning = 1,
    kPhaseLast = 2,
};

struct TransactionStateRecord {
    std::atomic<int32_t> busy{0};
    std::atomic<int32_t> replyWait{0};
    std::atomic<int32_t> sendFailed{0};
    std::atomic<int32_t> replyStatus{0};
    std::atomic<int32_t> completionCode{0};
    std::atomic<int32_t> sequencePhase{0};
    std::atomic<int32_t> stepCounter{0};
    std::atomic<int32_t> sequenceTimer{0};
    std::atomic<int32_t> suppress{0};
};

// The Windows program's one transaction. The operations below that take a
// record work on any transaction (the command-line tool keeps one per unit);
// those without work on this one.
extern TransactionStateRecord TransactionState;

// Clears everything but the completion code (and the suppress flag, which the
// dialogs own).
void ResetTransaction(TransactionStateRecord& transaction);
void ResetTransaction();

// A command was acknowledged: a single command gives completion code 1, the
// last command of a sequence code 2; a command in the middle of a running
// sequence leaves the code alone.
void SetCompletionFromPhase(TransactionStateRecord& transaction);
void SetCompletionFromPhase();

// No reply came within the time-out: the command is no longer outstanding,
// and with `stopSequence` the running sequence (or the status poll) must stop.
void TimeOutReply(TransactionStateRecord& transaction, bool stopSequence);

// A builder refused to build a command: nothing is sent, and the main window
// reports "Command Error". Returns false so that builders can `return Refuse();`.
// It marks the transaction of the channel being sent on (send_path.h).
bool RefuseCommand();
