#include "sim/unit_link.h"

#include <algorithm>
#include <cstring>

#include "link/link_state.h"

namespace {

const char* LineErrorWord(LineError error)
{
    switch (error) {
    case kLineErrorFraming: return "E0";
    case kLineErrorParity: return "E1";
    case kLineErrorOverrun: return "E2";
    default: return "E3";
    }
}

// One unit's answer to one command line.
void AnswerCommand(SimUnit& unit, const char* command, int length, const LinkEndpoint& link,
                   bool broadcast, int64_t nowMs, const SimFaults& faults, UnitReply& reply)
{
    if (link.lineError != kLineErrorNone) {
        WriteStatusReply(LineErrorWord(link.lineError), reply);
        return;
    }
    if (link.lineOverlong) {
        WriteStatusReply("E3", reply);
        return;
    }
    if (!broadcast) {
        ++unit.commandCount;
        if (faults.errorEvery > 0 && unit.commandCount % faults.errorEvery == 0) {
            WriteStatusReply("E3", reply);
            return;
        }
    }
    const bool notice = faults.statusWord[0] != '\0';
    if (InterpretCommand(unit, command, length, link.kind, !notice, nowMs, reply) == kCommandSet && notice)
        WriteStatusReply(faults.statusWord, reply);
}

void QueueReply(LinkEndpoint& link, const char* prefix, const UnitReply& reply, int64_t nowMs,
                const SimFaults& faults)
{
    if (faults.noReply)
        return;
    std::string bytes(prefix);
    bytes.append(reply.text, static_cast<size_t>(reply.length));
    int64_t due = nowMs + faults.replyDelayMs;
    // Replies never overtake each other, whatever their delays.
    if (!link.outbox.empty() && link.outbox.back().dueMs > due)
        due = link.outbox.back().dueMs;
    if (faults.split) {
        const size_t half = bytes.size() / 2;   // before the line feed, which is last
        link.outbox.push_back({due, bytes.substr(0, half)});
        link.outbox.push_back({due + kSplitGapMs, bytes.substr(half)});
    } else {
        link.outbox.push_back({due, std::move(bytes)});
    }
}

void LogLine(FILE* log, const char* text, int length, int64_t sinceMs)
{
    if (!log)
        return;
    if (sinceMs >= 0)
        fprintf(log, "%lld ", static_cast<long long>(sinceMs));
    fwrite(text, 1, static_cast<size_t>(length), log);
    fputc('\n', log);
    fflush(log);
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

void HandleLine(LinkEndpoint& link, int64_t nowMs, const SimFaults& faults, FILE* log)
{
    int length = link.lineLength;
    if (length > 0 && link.line[length - 1] == '\r')
        --length;
    if (length == 0 && !link.lineOverlong && link.lineError == kLineErrorNone)
        return;
    LogLine(log, link.line, length, link.logOriginMs >= 0 ? nowMs - link.logOriginMs : -1);
    ++link.commandLines;

    UnitReply reply;
    if (!link.rs485) {
        if (link.units.empty())
            return;
        AnswerCommand(*link.units[0].unit, link.line, length, link, false, nowMs, faults, reply);
        QueueReply(link, "", reply, nowMs, faults);
        return;
    }

    // On the bus a command begins with the two-digit address of its unit, or
    // "FF" for all of them; a line for nobody here is left unanswered.
    if (length < 2)
        return;
    const char* command = link.line + 2;
    const int commandLength = length - 2;
    if (link.line[0] == 'F' && link.line[1] == 'F') {
        // Every unit applies a broadcast; none answers it.
        for (const BusUnit& bus : link.units)
            AnswerCommand(*bus.unit, command, commandLength, link, true, nowMs, faults, reply);
        return;
    }
    if (!IsDigit(link.line[0]) || !IsDigit(link.line[1]))
        return;
    const int address = (link.line[0] - '0') * 10 + (link.line[1] - '0');
    for (const BusUnit& bus : link.units) {
        if (bus.address != address)
            continue;
        AnswerCommand(*bus.unit, command, commandLength, link, false, nowMs, faults, reply);
        const char prefix[3] = {link.line[0], link.line[1], '\0'};
        QueueReply(link, prefix, reply, nowMs, faults);
        return;
    }
}

} // namespace

void FeedLink(LinkEndpoint& link, const char* bytes, int count, int64_t nowMs, const SimFaults& faults,
              FILE* log)
{
    const int64_t character = CharacterMicroseconds(link.baud);
    for (int i = 0; i < count; ++i) {
        const char c = bytes[i];
        int64_t arrivedMs = nowMs;
        if (character > 0) {
            // Bytes that came faster than the line carries are taken as if
            // they had come one after another at its pace.
            link.receivedUntilUs = std::max(link.receivedUntilUs, nowMs * 1000) + character;
            arrivedMs = (link.receivedUntilUs + 999) / 1000;
        }
        if (c == '\n') {
            HandleLine(link, arrivedMs, faults, log);
            link.lineLength = 0;
            link.lineOverlong = false;
            link.lineError = kLineErrorNone;
            continue;
        }
        if (link.lineLength < kCommandLineBytes - 1) {
            link.line[link.lineLength++] = c;
            link.line[link.lineLength] = '\0';
        } else {
            // Too long for any command: keep its beginning (the address) and
            // refuse it when its end arrives.
            link.lineOverlong = true;
        }
    }
}

void MarkLineError(LinkEndpoint& link, LineError error)
{
    if (link.lineError == kLineErrorNone)
        link.lineError = error;
}

namespace {

// When the next byte of the first queued write may start on the line.
int64_t SendStartUs(const LinkEndpoint& link)
{
    return std::max(link.sendFreeAtUs, link.outbox.front().dueMs * 1000);
}

} // namespace

int64_t NextWriteDue(const LinkEndpoint& link)
{
    if (link.outbox.empty())
        return kNever;
    const int64_t character = CharacterMicroseconds(link.baud);
    if (character == 0)
        return link.outbox.front().dueMs;
    return (SendStartUs(link) + character + 999) / 1000;
}

int DueBytes(const LinkEndpoint& link, int64_t nowMs, const char** data)
{
    if (link.outbox.empty() || link.outbox.front().dueMs > nowMs)
        return 0;
    const std::string& bytes = link.outbox.front().bytes;
    *data = bytes.data() + link.headWritten;
    const int64_t left = static_cast<int64_t>(bytes.size() - link.headWritten);
    const int64_t character = CharacterMicroseconds(link.baud);
    if (character == 0)
        return static_cast<int>(left);
    // Only the bytes the line would have finished sending by now.
    const int64_t sent = (nowMs * 1000 - SendStartUs(link)) / character;
    return static_cast<int>(std::clamp<int64_t>(sent, 0, left));
}

void ConsumeBytes(LinkEndpoint& link, int count)
{
    if (link.outbox.empty() || count <= 0)
        return;
    if (link.baud > 0)
        link.sendFreeAtUs = SendStartUs(link) + count * CharacterMicroseconds(link.baud);
    link.headWritten += static_cast<size_t>(count);
    if (link.headWritten >= link.outbox.front().bytes.size()) {
        link.outbox.pop_front();
        link.headWritten = 0;
    }
}

bool LinkAnsweredItsLast(const LinkEndpoint& link, int closeAfterCommands)
{
    return closeAfterCommands > 0 && link.commandLines >= closeAfterCommands && link.outbox.empty();
}

bool ParseAddressList(const char* text, std::vector<int>& addresses)
{
    return ParseSlaveAddressList(text, addresses);
}
