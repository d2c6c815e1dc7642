// One unit's run of a sub-command: its own model, transaction, reply line and
// RS-485 address, driven by the same step tables, builders and parsers as the
// dialogs. The tool's event loop owns the link; this is the state machine. It
// never waits: the loop hands it received bytes and calls TickUnit when
// UnitWakeTime comes, so that any number of units keep their pacing at once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dialogs/routing/timed_sequence.h"
#include "files/provisioning.h"
#include "link/send_path.h"
#include "link/serial_lines.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "protocol/reply_parser.h"
#include "net/sockets.h"   // kNever

enum class UnitState { kRunning, kSucceeded, kFailed };

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
    // It may also move the sequence back (the transaction's step counter) or
    // fail the unit.
    int64_t (*earliestStep)(UnitExchange& unit, int nextStep, int64_t nowMs) = nullptr;
    ProvisionClockRun clockRun;   // provision's clock steps

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
    // On an RS-485 bus: whole lines that carried another unit's address (a
    // late reply of the unit served before), skipped; the loop reports and
    // clears them.
    std::vector<std::string> strayReplies;
    std::string pendingLine;   // the bus line being joined, until its line feed
};

// The time the serial line (9600 baud, 11 bits a character) needs to carry
// `bytes`, rounded up to the millisecond.
int64_t SerialLineTimeMs(int bytes);
// No unit answers a broadcast, so nothing tells when a unit has applied a
// command: each step waits at least this long (the dialogs' tick) and at
// least its frame's line time, whatever the pace.
constexpr int64_t kBroadcastStepMs = 400;

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
// provision's earliestStep: before each clock step of `plan`, the final
// seconds wait to land on the PC's whole second (ProvisionClock), and when the
// PC's minute turned since the year went out the clock steps start again, so
// that no field is left a minute (or a day) behind.
int64_t ProvisionClockHold(UnitExchange& unit, const ProvisionPlan& plan, int nextStep, int64_t nowMs);
// Fails a running unit (used also by the loop, e.g. when its file cannot be written).
void FailUnit(UnitExchange& unit, const std::string& message);
