// One unit's run of a sub-command: its own model, transaction, reply line and
// RS-485 address, driven by the same step tables, builders and parsers as the
// dialogs. The tool's event loop owns the link; this is the state machine. It
// never waits: the loop hands it received bytes and calls TickUnit when
// UnitWakeTime comes, so that any number of units keep their pacing at once.
#pragma once

#include <cstdint>
#include <string>

#include "dialogs/routing/timed_sequence.h"
#include "link/send_path.h"
#include "link/serial_lines.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "protocol/reply_parser.h"

enum class UnitState { kRunning, kSucceeded, kFailed };

constexpr int64_t kNever = INT64_MAX;

struct UnitExchange {
    int number = 1;            // 1..96 in the order the units connected
    std::string address;       // what the user knows the unit by
    bool serialReplies = true; // the serial reply entry; else the dialog side (TCP)

    DeviceModelData model{};
    TransactionStateRecord transaction;
    CommandChannel channel;
    SerialLineBuffer serialLines{};
    DialogReplyLine dialogLine{};

    // The job: a timed sequence, or (steps == nullptr) the one command `text`.
    const SequenceSteps* steps = nullptr;
    std::string text;
    int paceMs = 0;
    // When step `nextStep` may go out at the earliest (nullptr: at its tick).
    int64_t (*earliestStep)(const UnitExchange& unit, int nextStep, int64_t nowMs) = nullptr;

    UnitState state = UnitState::kRunning;
    int step = 0;              // the step sent last (1-based); 0 before the first
    std::string command;       // the frame sent last, without its line end
    std::string reply;         // the last whole reply line, without its line end
    std::string message;       // why the unit failed
    std::string outbox;        // frames the loop still has to write

    int64_t startMs = 0;
    int64_t nextTickMs = 0;
    int64_t replyDeadlineMs = kNever;
    std::string pendingReply;  // bytes of a reply whose line feed is still to come
};

// The program's time-out: the status timer's 15 ticks of 190 ms.
int64_t ReplyTimeoutMs();

// Prepares the unit for its job with `model` as its model (the caller filled
// it) and RS-485 address (kNoAddressPrefix on RS-232C and TCP).
void PrepareUnit(UnitExchange& unit, int rs485Address);
// Starts the job; a sequence sends its first step at once.
void StartUnit(UnitExchange& unit, int64_t nowMs);
void UnitReceived(UnitExchange& unit, const char* bytes, int count, int64_t nowMs);
// The link closed or failed (`what` says which) while the unit was running:
// the step that fails is the one awaiting its reply, or between steps the
// next one, which has no command yet.
void UnitLinkLost(UnitExchange& unit, const char* what);
// Due work: the next step, or the end of a reply wait.
void TickUnit(UnitExchange& unit, int64_t nowMs);
// When TickUnit has something to do next; kNever once the unit ended.
int64_t UnitWakeTime(const UnitExchange& unit);
// Steps done so far, for the progress display.
int UnitStepsDone(const UnitExchange& unit);
int UnitStepCount(const UnitExchange& unit);
// Fails a running unit (used also by the loop, e.g. when its file cannot be written).
void FailUnit(UnitExchange& unit, const std::string& message);
