// Every setting a settings file holds, as one sequence of commands to a
// unit: the same builders and texts as the dialogs' "設定" and "全設定",
// section by section in one fixed order. A plan is made for a model once
// (its length follows the sections chosen and the unit's channel count) and
// then sent step by step like any timed sequence.
#pragma once

#include <ctime>
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
    kProvisionPanel,         // POO, PMO, PN
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
    int millisecond;
};
// Where the clock steps take the time from: the local clock, or a test's.
extern ProvisionTime (*ProvisionClock)();
constexpr int kProvisionClockSteps = 6;   // DSY, DSM, DSD, TSH, TSM, TSS

// The clock steps read the time each at its own moment, so the unit ends on
// the PC's second. A minute that turns between them would leave the fields
// sent before it behind: when less than `neededMs` are left of the current
// minute, the clock waits for the next one to begin. The milliseconds to
// wait before the first clock step (0: go now).
int ClockStartDelayMs(const ProvisionTime& now, int neededMs);

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
// Sends step `step` (1-based) of the plan from the model.
bool SendProvisionStep(const DeviceModelData& model, const ProvisionPlan& plan, int step);

// What the model holds that no unit would take, found before anything is
// sent: a title the title rule refuses (naming the channel) or a password
// that is not six digits, in the sections chosen. Empty when all can go.
std::string ProvisionRefusal(const DeviceModelData& model, ProvisionSections sections);
