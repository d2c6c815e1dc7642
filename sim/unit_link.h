// One link end of the simulator: a serial line (one RS-232C unit, or an
// RS-485 bus of several addressed units) or one TCP connection. Received bytes
// are joined into command lines, each line goes to the unit it is addressed
// to, and the reply is queued with the time it is due, so that the fault
// options (delay, split) need no sleeping. The platform part writes what is due.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "sim/command_interpreter.h"

// Faults a test asks for; they hold for every unit of the simulator.
struct SimFaults {
    bool noReply = false;       // commands are applied, but nothing is answered
    int replyDelayMs = 0;       // each reply goes out this long after its command arrived
    bool split = false;         // each reply in two writes 100 ms apart, the first without the line feed
    char statusWord[8] = "";    // answer every valid set command with this word (not applied) instead of "GO"
    int errorEvery = 0;         // every N-th command a unit is asked is answered "E3" and not applied
};

constexpr int kSplitGapMs = 100;

// A command line is at most the RS-485 address and the longest command (a
// LARGE glyph registration, 584 characters with its line end).
constexpr int kCommandLineBytes = 1024;

// Errors a serial driver reports for received bytes; the unit answers a line
// that suffered one with the matching status word instead of acting on it.
enum LineError { kLineErrorNone = 0, kLineErrorFraming, kLineErrorParity, kLineErrorOverrun };

struct BusUnit {
    int address;     // 0..31 on an RS-485 bus; -1 on a link without addresses
    SimUnit* unit;
};

struct PendingWrite {
    int64_t dueMs;
    std::string bytes;
};

struct LinkEndpoint {
    SimLinkKind kind = kSimLinkSerial;
    bool rs485 = false;
    std::vector<BusUnit> units;   // one unit unless rs485

    char line[kCommandLineBytes] = {};
    int lineLength = 0;
    bool lineOverlong = false;    // the line did not fit: only its beginning is kept
    LineError lineError = kLineErrorNone;

    std::deque<PendingWrite> outbox;
    size_t headWritten = 0;       // bytes of outbox.front() already written

    int commandLines = 0;         // lines received and logged (blank lines are none)

    // The line's speed (0: as fast as the link goes). Each character takes 11
    // bits (8E1) both ways: a received line counts from when its last
    // character would have arrived, and no byte is written before the one
    // ahead of it would have been sent.
    int baud = 0;
    // With --log-ms: each logged line after the milliseconds since this time
    // (the simulator's start); -1: the line alone.
    int64_t logOriginMs = -1;
    int64_t receivedUntilUs = 0;  // when the last byte taken in would have arrived
    int64_t sendFreeAtUs = 0;     // when the line is free for the next byte out
};

// Microseconds one character takes on a line of `baud` (11 bits: start, 8
// data, parity, stop).
constexpr int64_t CharacterMicroseconds(int baud)
{
    return baud > 0 ? (11 * int64_t{1000000} + baud - 1) / baud : 0;
}

// Hands received bytes to the link: every complete line (ending in a line
// feed; a carriage return before it is dropped) is logged, interpreted and
// answered. Blank lines are no commands and get no answer.
void FeedLink(LinkEndpoint& link, const char* bytes, int count, int64_t nowMs, const SimFaults& faults,
              FILE* log);

// The driver reported an error for bytes of the line being received.
void MarkLineError(LinkEndpoint& link, LineError error);

// When the next queued write is due; kNever when nothing is queued.
int64_t NextWriteDue(const LinkEndpoint& link);

// The bytes of the first queued write when it is due at `nowMs`: returns
// their count and points `data` at them, or returns 0.
int DueBytes(const LinkEndpoint& link, int64_t nowMs, const char** data);
// `count` of those bytes have been written.
void ConsumeBytes(LinkEndpoint& link, int count);

// True once the link has received `closeAfterCommands` command lines (0:
// never) and written every reply it queued for them: the moment a unit told
// to hang up after that many commands closes the connection.
bool LinkAnsweredItsLast(const LinkEndpoint& link, int closeAfterCommands);

// An RS-485 address list such as "0,5,7", "00,05,07" or "0-3,7": addresses
// 0..31, each at most once. False for anything else.
bool ParseAddressList(const char* text, std::vector<int>& addresses);
