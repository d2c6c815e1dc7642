// Every setting a settings file holds, as one sequence of commands to a
// unit: the same builders and texts as the dialogs' "設定" and "全設定",
// section by section in one fixed order. A plan is made for a model once
// (its length follows the sections chosen and the unit's channel count) and
// then sent step by step like any timed sequence.
#pragma once

#include <string>

#include "protocol/device_model.h"

// The sections, in the order they are sent.
enum ProvisionSection {
    kProvisionRouting,       // the 67 steps of set all
    kProvisionAlarms,        // AIP, ADT, ABOO, ADO, ARO
    kProvisionAlarmIo,       // AIN, AOM, AOS, each for all entries
    kProvisionDateTime,      // TSDR, TSDS, TSI and TSO for all entries (the display, not the clock)
    kProvisionTitles,        // one CT a channel
    kProvisionTitleDisplay,  // CTI, CTO, CTPI, CTSI for all entries, CTAT, CTAB
    kProvisionPanel,         // PN, POO, PMO: the password first, so that a unit that refuses it is not left locked
    kProvisionNetwork,       // EIA, EGA, EAA, ESM, ECT, EKA: the unit's network settings the file holds (serial links only)
    kProvisionSectionCount,
    // Not a section of the file: the unit's clock set from the PC's, last,
    // so that it is right when the run ends.
    kProvisionClock = kProvisionSectionCount,
};

// The PC's local time as the clock steps send it.
struct ProvisionTime {
    int year, month, day;        // 2000..2099, 1..12, 1..31
    int hour, minute, second;    // 0..23, 0..59, 0..59
    int millisecond;             // 0..999
};
// Where the clock steps take the time from: the local clock, or a test's.
extern ProvisionTime (*ProvisionClock)();

// The clock steps: TSS00, DSY, DSM, DSD, TSH, TSM, TSS. The unit's clock
// keeps running while its fields arrive one by one, so the seconds go to 00
// first: then no field can roll over into the next (a unit at 23:59:59 whose
// day is set would otherwise turn to the next day before its hour arrives).
// Year to minute follow, each read from the PC's clock as it is built, and
// the seconds last, timed to land on the PC's whole second.
constexpr int kProvisionClockSteps = 7;
constexpr int kClockFinalSecond = kProvisionClockSteps - 1;
// How often the clock steps start again when the PC's minute turned while
// they went out, before the unit is given up.
constexpr int kProvisionClockRestarts = 3;

// A unit's run of the clock steps.
struct ProvisionClockRun {
    int sentMinute[5] = {};   // year, month, day, hour, minute as the PC showed them when DSY was built
    int restarts = 0;
};

enum ClockStepGo {
    kClockGo,        // send the step now
    kClockWait,      // wait `waitMs` first, then ask again
    kClockRestart,   // the PC's minute turned since DSY: go back to the first clock step, after `waitMs`
    kClockGiveUp,    // it turned during every try
};
struct ClockStepTiming {
    ClockStepGo go;
    int waitMs;
};

// Asked before clock step `index` (0-based) goes out, the PC's clock reading
// `now`. `leadMs` is the time the line needs to carry the final TSS frame:
// that step waits until the frame will land on the PC's whole second, and
// goes back to the start when the minute the earlier fields came from is
// over by then.
ClockStepTiming TimeClockStep(ProvisionClockRun& run, int index, const ProvisionTime& now, int leadMs);

using ProvisionSections = unsigned;
constexpr ProvisionSections ProvisionBit(ProvisionSection s)
{
    return 1u << s;
}
constexpr ProvisionSections kProvisionAll = (1u << kProvisionSectionCount) - 1;
// Panel lock and network settings can lock people out of a unit or move it
// off the network: they go only when named.
constexpr ProvisionSections kProvisionDefault =
    kProvisionAll & ~ProvisionBit(kProvisionPanel) & ~ProvisionBit(kProvisionNetwork);

const char* ProvisionSectionName(ProvisionSection section);
// "routing,titles", or "all". False with `error` naming the word it does not know.
bool ParseProvisionSections(const std::string& list, ProvisionSections& sections, std::string& error);

constexpr int kProvisionMaxSteps = 67 + 5 + 3 + 4 + kMaxChannels + 6 + 3 + 6 + kProvisionClockSteps;

struct ProvisionStep {
    ProvisionSection section;   // or kProvisionClock
    int index;   // 0-based within its section
};

struct ProvisionPlan {
    ProvisionStep steps[kProvisionMaxSteps];
    int length = 0;
};

// With `clock`, the clock steps come after the sections.
void PlanProvision(const DeviceModelData& model, ProvisionSections sections, bool clock, ProvisionPlan& plan);
// Where the clock steps begin in a plan (1-based); 0 when it has none.
int FirstClockStep(const ProvisionPlan& plan);
// Sends step `step` (1-based) of the plan from the model.
bool SendProvisionStep(const DeviceModelData& model, const ProvisionPlan& plan, int step);

// Builds step `step` with the builders' own rules on a channel of its own,
// sending nothing: `frame` is the text that would go out (the RS-485 address
// in front, the line end included). False when the builder refuses the
// model's values.
bool BuildProvisionStep(const DeviceModelData& model, const ProvisionPlan& plan, int step, int rs485Address,
                        std::string& frame);

// Every step of the plan built before anything is sent: one line for each
// step a builder refuses, naming the setting, its line of the settings file
// and why ("alarm hold time (line 2115): 0 is refused: the unit takes 1 to 99
// seconds"). Empty when all can go.
std::string ProvisionRefusal(const DeviceModelData& model, const ProvisionPlan& plan);
