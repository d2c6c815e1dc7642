// What the unit shows right now: the routing of the current layout, the
// auto-switch cycles of outputs whose source is an auto-switch pattern, and
// which inputs have video. Time is passed in (milliseconds of the
// simulator's monotonic clock), so tests drive it without sleeping.
#pragma once

#include <cstdint>

#include "sim/unit_state.h"

// Brings the cycles and the flapping input up to `nowMs`.
void AdvanceLiveStatus(SimUnit& unit, int64_t nowMs);

// When the live status changes next by itself; kNever when nothing runs.
int64_t NextLiveDeadline(const SimUnit& unit);

// The display source code of an output in the layout now shown.
int LiveSourceOfOutput(const SimUnit& unit, int output);
// The 0-based input an output shows now (the cycle's input for an
// auto-switch source). Call AdvanceLiveStatus first.
int LiveChannelOfOutput(const SimUnit& unit, int output);
bool InputHasVideo(const SimUnit& unit, int input);

// Sets up the video state: `lost` inputs have no video for the whole run; with
// a flap period one further input loses its video for a period, gets it back
// for a period, and then the next input takes its turn.
void StartVideoState(VideoState& video, const bool (&lost)[kMaxChannels], int flapSeconds, int64_t nowMs);
