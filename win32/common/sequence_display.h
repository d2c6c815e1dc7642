// What a dialog shows while its timed sequence runs: the stepping is the
// core's (dialogs/routing/timed_sequence.h); this is the button that starts
// and cancels it, the percent field, the progress bar and the controls that
// are locked meanwhile. The channel-table frame, read all and set all share it.
#pragma once

#include <windows.h>

#include <span>

#include "dialogs/routing/timed_sequence.h"

struct SequenceControls {
    int buttonId = 0;      // starts the sequence; reads "キャンセル" while it runs
    // False for a sequence that cannot be cancelled: its button is disabled
    // while it runs instead.
    bool cancels = true;
    int percentId = 0;     // read-only percent field, or 0
    // True: the percent field is neither set to "0" at the start nor emptied
    // at the end; it keeps the last percentage until the next run.
    bool keepsPercent = false;
    int progressId = 0;    // progress bar of one step per command, or 0
    int slaveListId = 0;   // the slave-address list (usable on RS-485 only), or 0
    // Further controls disabled while the sequence runs.
    std::span<const int> locks = {};
    std::span<const int> moreLocks = {};
};

struct SequenceDisplay {
    HWND dialog = nullptr;
    const SequenceSteps* steps = nullptr;
    SequenceControls controls = {};
    wchar_t buttonText[64] = {};   // the button's own text, restored at the end
};

bool SequenceDisplayRunning(const SequenceDisplay& display);

// The sequence button: starts the sequence (nothing while a command is
// outstanding), or cancels it with "中止しました" (ignored once the last
// command is under way, and always when it cannot be cancelled).
void PressSequenceButton(SequenceDisplay& display);

// One tick of the sequence's timer. On kSequenceSucceeded the timer is
// stopped but the controls are still locked: the caller shows its closing
// message, then calls FinishSequenceDisplay. On any other end they are
// restored at once.
SequenceTick SequenceDisplayTick(SequenceDisplay& display);
void FinishSequenceDisplay(const SequenceDisplay& display);
