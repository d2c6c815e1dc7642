#include "cli/report.h"

#include "cli/utf8.h"

const char kFileSide[] = "in the file";
const char kUnitSide[] = "on the unit";

namespace {

const char* ResultWord(UnitResult result)
{
    switch (result) {
    case UnitResult::kDone: return "done";
    case UnitResult::kFailed: return "failed";
    case UnitResult::kDiffers: return "differs";
    case UnitResult::kRunning: break;
    }
    return "running";
}

// Long commands (a whole auto-switch pattern) are named by their beginning.
std::string ShortCommand(const std::string& command)
{
    return command.size() <= 24 ? command : command.substr(0, 24) + "...";
}

} // namespace

std::string UnitLabel(const ToolUnit& unit, bool many)
{
    if (!many)
        return unit.exchange.address;
    char number[16];
    snprintf(number, sizeof number, "unit %02d", unit.exchange.number);
    return std::string(number) + " (" + unit.exchange.address + ")";
}

std::string FailureText(const ToolUnit& unit)
{
    const UnitExchange& u = unit.exchange;
    std::string text = "failed";
    if (u.step > 0) {
        text += " at step " + std::to_string(u.step) + " of " + std::to_string(UnitStepCount(u));
        if (!u.command.empty())
            text += " (" + ShortCommand(u.command) + ")";
    }
    text += ": " + u.message;
    if (!u.reply.empty())
        text += ", reply \"" + u.reply + "\"";
    return text;
}

ProgressDisplay::ProgressDisplay(FILE* out, bool terminal, ToolCommand command, bool many)
    : out_(out), terminal_(terminal), command_(command), many_(many)
{
}

void ProgressDisplay::Started(const ToolUnit& unit)
{
    if (terminal_)
        return;
    fprintf(out_, "%s: %s started\n", UnitLabel(unit, many_).c_str(), CommandName(command_));
    fflush(out_);
}

void ProgressDisplay::Ended(const ToolUnit& unit)
{
    if (terminal_)
        return;
    const std::string label = UnitLabel(unit, many_);
    if (unit.result == UnitResult::kFailed)
        fprintf(out_, "%s: %s\n", label.c_str(), FailureText(unit).c_str());
    else if (unit.result == UnitResult::kDiffers)
        fprintf(out_, "%s: differs from the file in %zu %s\n", label.c_str(), unit.differences.size(),
                unit.differences.size() == 1 ? "value" : "values");
    else
        fprintf(out_, "%s: done (%d %s)\n", label.c_str(), UnitStepCount(unit.exchange),
                UnitStepCount(unit.exchange) == 1 ? "step" : "steps");
    fflush(out_);
}

void ProgressDisplay::Redraw(const std::vector<ToolUnit*>& units, int64_t nowMs, bool force)
{
    if (!terminal_ || (!force && nowMs - lastDrawMs_ < 100))
        return;
    lastDrawMs_ = nowMs;
    std::string frame;
    if (drawnRows_ > 0)
        frame += "\x1b[" + std::to_string(drawnRows_) + "A";
    constexpr int kWidth = 30;
    for (const ToolUnit* unit : units) {
        const int done = UnitStepsDone(unit->exchange);
        const int total = UnitStepCount(unit->exchange);
        const int filled = total > 0 ? done * kWidth / total : kWidth;
        std::string bar(static_cast<size_t>(filled), '#');
        bar.resize(kWidth, '-');
        std::string state = ResultWord(unit->result);
        if (unit->result == UnitResult::kFailed)
            state = FailureText(*unit);
        char counts[32];
        snprintf(counts, sizeof counts, "%3d/%-3d", done, total);
        frame += "\r\x1b[2K" + UnitLabel(*unit, many_) + " [" + bar + "] " + counts + " " + state + "\n";
    }
    drawnRows_ = static_cast<int>(units.size());
    fputs(frame.c_str(), out_);
    fflush(out_);
}

std::string SettingsReadErrorText(const SettingsFileError& error)
{
    std::string reason;
    switch (error.result) {
    case kSettingsOk: return "read";
    case kSettingsOpenFailed: reason = "it cannot be opened"; break;
    case kSettingsReadFailed: reason = "reading it failed"; break;
    case kSettingsTooShort:
        // The line is the first one missing.
        return "not readable as a settings file: it ends early, line " + std::to_string(error.line) +
               " of its " + std::to_string(kSettingsFileLines) + " lines is missing";
    case kSettingsNotANumber: reason = "a line where a number belongs holds something else"; break;
    case kSettingsOutOfRange: reason = "a number lies outside what its setting can hold"; break;
    case kSettingsTokenTooLong: reason = "a title or the password is longer than its field"; break;
    case kSettingsTooLarge: reason = "it is far larger than any settings file"; break;
    case kSettingsBadTitle: reason = "a title holds a control character"; break;
    }
    if (reason.empty())
        reason = "it cannot be read";
    std::string text = "not readable as a settings file: " + reason;
    if (error.line > 0)
        text += " (line " + std::to_string(error.line) + ")";
    return text;
}

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7f) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string JsonText(const std::string& utf8)
{
    std::string out = "\"";
    char escaped[16];
    for (size_t at = 0; at < utf8.size();) {
        uint32_t c;
        if (!NextUtf8(utf8, at, c)) {
            c = 0xFFFD;   // no UTF-8 here: the replacement character, one byte further
            ++at;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else if (c < 0x10000) {
            snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            const uint32_t v = c - 0x10000;
            snprintf(escaped, sizeof escaped, "\\u%04x\\u%04x", static_cast<unsigned>(0xD800 + (v >> 10)),
                     static_cast<unsigned>(0xDC00 + (v & 0x3FF)));
            out += escaped;
        }
    }
    return out + "\"";
}

namespace {

std::string JsonRaw(const RawSetting& value)
{
    if (const int* number = std::get_if<int>(&value))
        return std::to_string(*number);
    return JsonText(std::get<std::string>(value));
}

} // namespace

std::string JsonDifference(const SettingDifference& d, const char* firstKey, const std::string& firstSide,
                           const char* secondKey, const std::string& secondSide)
{
    return "{\"table\":" + JsonString(d.table) + ",\"index\":" + JsonString(d.index) +
           ",\"text\":" + JsonText(DifferenceLine(d, firstSide, secondSide)) + ",\"" + firstKey +
           "\":" + JsonRaw(d.firstRaw) + ",\"" + secondKey + "\":" + JsonRaw(d.secondRaw) + "}";
}

void WriteJsonSummary(FILE* out, ToolCommand command, int expected, const std::vector<ToolUnit*>& units)
{
    int done = 0, failed = 0, differs = 0;
    for (const ToolUnit* unit : units) {
        done += unit->result == UnitResult::kDone;
        failed += unit->result == UnitResult::kFailed;
        differs += unit->result == UnitResult::kDiffers;
    }
    const int missing = expected > static_cast<int>(units.size()) ? expected - static_cast<int>(units.size()) : 0;
    fprintf(out, "{\"command\":\"%s\",\"units\":%zu,\"expected\":%d,\"done\":%d,\"failed\":%d,\"differs\":%d,"
                 "\"missing\":%d,\"results\":[",
            CommandName(command), units.size(), expected, done, failed, differs, missing);
    for (size_t i = 0; i < units.size(); ++i) {
        const ToolUnit& unit = *units[i];
        const UnitExchange& u = unit.exchange;
        const bool failedUnit = unit.result == UnitResult::kFailed;
        fprintf(out, "%s\n{\"unit\":%d,\"address\":%s,\"result\":\"%s\",\"steps\":%d,", i ? "," : "", u.number,
                JsonString(u.address).c_str(), ResultWord(unit.result), UnitStepsDone(u));
        if (failedUnit && u.step > 0)
            fprintf(out, "\"step\":%d,\"command\":%s,", u.step,
                    u.command.empty() ? "null" : JsonString(u.command).c_str());
        else
            fputs("\"step\":null,\"command\":null,", out);
        fprintf(out, "\"reply\":%s,", u.reply.empty() ? "null" : JsonString(u.reply).c_str());
        fprintf(out, "\"message\":%s,\"differences\":[", failedUnit ? JsonString(u.message).c_str() : "null");
        for (size_t d = 0; d < unit.differences.size(); ++d)
            fprintf(out, "%s%s", d ? "," : "",
                    JsonDifference(unit.differences[d], "file", kFileSide, "unit", kUnitSide).c_str());
        fputs("]}", out);
    }
    fputs("]}\n", out);
    fflush(out);
}
