#include "cli/report.h"

#include <nlohmann/json.hpp>

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
               " of its " + std::to_string(kSettingsFileLines) + " lines is missing" +
               (error.setting.table ? " (" + SettingPlace(error.setting) + ")" : std::string());
    case kSettingsNotANumber: reason = "a line where a number belongs holds something else"; break;
    case kSettingsOutOfRange: reason = "a number lies outside what its setting can hold"; break;
    case kSettingsTokenTooLong: reason = "a title or the password is longer than its field"; break;
    case kSettingsTooLarge: reason = "it is far larger than any settings file"; break;
    case kSettingsBadTitle: reason = "a title holds a control character"; break;
    }
    if (reason.empty())
        reason = "it cannot be read";
    std::string text = "not readable as a settings file: " + reason;
    // The line, and the setting it holds as the dialogs name it.
    if (error.line > 0)
        text += " (line " + std::to_string(error.line) +
                (error.setting.table ? ": " + SettingPlace(error.setting) : std::string()) + ")";
    return text;
}

namespace {

// Keys in the order they are set, as README shows them.
using Json = nlohmann::ordered_json;

// Every JSON text of the tool is made here. ensure_ascii off: UTF-8 goes out
// as it is. error_handler_t::replace: a byte that is no UTF-8 becomes U+FFFD
// rather than an exception. The texts are paths, the unit's replies, our
// messages and the titles, which compare.cpp has made UTF-8 already
// (ShownTitle: the Shift-JIS converted, any other byte as \xNN).
std::string Dump(const Json& value)
{
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// The one writer of every --json output: `head` (an object of one key or
// more) with `list` after its keys as `listKey`, one entry a line, so that 96 units read (and
// grep) one unit a line:
//   {"command":"diff",…,"differences":[
//   {…},
//   {…}]}
void WriteJson(FILE* out, const Json& head, const char* listKey, const std::vector<Json>& list)
{
    std::string text = Dump(head);
    text.pop_back();   // the closing brace: the list comes before it
    text += "," + Dump(listKey) + ":[";
    for (size_t i = 0; i < list.size(); ++i)
        text += (i ? ",\n" : "\n") + Dump(list[i]);
    text += "]}\n";
    fwrite(text.data(), 1, text.size(), out);
    fflush(out);
}

Json Raw(const RawSetting& value)
{
    if (const int* number = std::get_if<int>(&value))
        return *number;
    return std::get<std::string>(value);
}

Json Difference(const SettingDifference& d, const char* firstKey, const std::string& firstSide,
                const char* secondKey, const std::string& secondSide)
{
    Json difference;
    difference["table"] = d.table;
    difference["index"] = d.index;
    difference["text"] = DifferenceLine(d, firstSide, secondSide);
    difference[firstKey] = Raw(d.firstRaw);
    difference[secondKey] = Raw(d.secondRaw);
    return difference;
}

// A text, or null when there is none.
Json TextOrNull(const std::string& text)
{
    return text.empty() ? Json() : Json(text);
}

} // namespace

void WriteJsonSummary(FILE* out, ToolCommand command, int expected, const std::vector<ToolUnit*>& units)
{
    int done = 0, failed = 0, differs = 0;
    for (const ToolUnit* unit : units) {
        done += unit->result == UnitResult::kDone;
        failed += unit->result == UnitResult::kFailed;
        differs += unit->result == UnitResult::kDiffers;
    }
    const int count = static_cast<int>(units.size());
    Json summary;
    summary["command"] = CommandName(command);
    summary["units"] = count;
    summary["expected"] = expected;
    summary["done"] = done;
    summary["failed"] = failed;
    summary["differs"] = differs;
    summary["missing"] = expected > count ? expected - count : 0;
    std::vector<Json> results;
    for (const ToolUnit* unit : units) {
        const UnitExchange& u = unit->exchange;
        const bool failedUnit = unit->result == UnitResult::kFailed;
        const bool failedAtStep = failedUnit && u.step > 0;
        Json result;
        result["unit"] = u.number;
        result["address"] = u.address;
        result["result"] = ResultWord(unit->result);
        result["steps"] = UnitStepsDone(u);
        result["step"] = failedAtStep ? Json(u.step) : Json();
        result["command"] = failedAtStep ? TextOrNull(u.command) : Json();
        result["reply"] = TextOrNull(u.reply);
        result["message"] = failedUnit ? Json(u.message) : Json();
        Json& differences = result["differences"] = Json::array();
        for (const SettingDifference& d : unit->differences)
            differences.push_back(Difference(d, "file", kFileSide, "unit", kUnitSide));
        results.push_back(std::move(result));
    }
    WriteJson(out, summary, "results", results);
}

void WriteJsonDiff(FILE* out, const std::string& fileA, const std::string& fileB,
                   const std::vector<SettingDifference>& differences)
{
    Json diff;
    diff["command"] = "diff";
    diff["a"] = fileA;
    diff["b"] = fileB;
    diff["equal"] = differences.empty();
    std::vector<Json> list;
    for (const SettingDifference& d : differences)
        list.push_back(Difference(d, "a", "in " + fileA, "b", "in " + fileB));
    WriteJson(out, diff, "differences", list);
}
