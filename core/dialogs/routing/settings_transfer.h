// Read all and set all: the unit's routing settings (current pattern, the 32
// display patterns, the 32 auto-switch patterns, the video outputs) moved in
// bulk by a timed sequence without a table.
#pragma once

#include "dialogs/routing/timed_sequence.h"

extern const SequenceSteps ReadAllSettings;   // 66 reads, one per 300 ms
extern const SequenceSteps SetAllSettings;    // 67 commands, one per 400 ms

// Read all asks one addressed unit: a "Broadcast" selection becomes 00.
void OpenReadAll();
// The model now holds what the unit sent, which no file holds yet.
void ReadAllSucceeded();
