// What the tool tells the user: a progress bar per unit on a terminal, plain
// lines otherwise (both on stderr), the results on stdout, and the --json
// summary for scripts.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/compare.h"
#include "cli/options.h"
#include "cli/unit_exchange.h"
#include "files/settings_file.h"

enum class UnitResult { kRunning, kDone, kFailed, kDiffers };

struct ToolUnit {
    UnitExchange exchange;
    std::vector<SettingDifference> differences;
    UnitResult result = UnitResult::kRunning;
};

// "unit 03 (127.0.0.1:40112)", or the link alone when there is one unit.
std::string UnitLabel(const ToolUnit& unit, bool many);
// "failed at step 5 of 67 (OP03I01I02…): Lock Display, reply "LOCK""
std::string FailureText(const ToolUnit& unit);

class ProgressDisplay {
public:
    ProgressDisplay(FILE* out, bool terminal, ToolCommand command, bool many);
    void Started(const ToolUnit& unit);
    void Ended(const ToolUnit& unit);
    // Terminal only: redraws the bars at most every 100 ms unless `force`.
    void Redraw(const std::vector<ToolUnit*>& units, int64_t nowMs, bool force);

private:
    FILE* out_;
    bool terminal_;
    ToolCommand command_;
    bool many_;
    int drawnRows_ = 0;
    int64_t lastDrawMs_ = 0;
};

// How verify names its two sides in a difference line.
extern const char kFileSide[];   // "in the file"
extern const char kUnitSide[];   // "on the unit"

// Why a settings file cannot be read, with its line:
// "not readable as a settings file: a line where a number belongs holds something else (line 5)".
std::string SettingsReadErrorText(const SettingsFileError& error);

// --json: one JSON object on one line, its text in UTF-8 as it is (a
// Japanese path or title is written as such, not as \u escapes). A text that
// is no UTF-8 (a path or a reply of other bytes) has each bad byte written as
// U+FFFD. Each difference is {"table":…,"index":…,"text":"<the difference
// line>",FIRST:raw,SECOND:raw}, the raw values numbers or text.
// The summary of a run on units; the differences are verify's ("file", "unit").
void WriteJsonSummary(FILE* out, ToolCommand command, int expected, const std::vector<ToolUnit*>& units);
// diff --json: {"command":"diff","a":A,"b":B,"equal":…,"differences":[…]}, each
// difference's sides named "a" and "b", its line naming them "in A", "in B".
void WriteJsonDiff(FILE* out, const std::string& fileA, const std::string& fileB,
                   const std::vector<SettingDifference>& differences);
