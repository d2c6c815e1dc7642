// One simulated KVR2840E: every setting the commands touch, the unit's own
// extras that the program's model has no room for (titles as JIS codes,
// registered glyphs of every size and slot, the clock), and the live status
// that the status reads report (auto-switch cycling, video loss).
#pragma once

#include <cstdint>

#include "protocol/device_model.h"
#include "net/sockets.h"   // kNever

constexpr int kSmallGlyphSlots = 256;
constexpr int kMediumGlyphSlots = 160;
constexpr int kLargeGlyphSlots = 70;

// One output's auto-switch cycle.
struct AutoSwitchCycle {
    int source;        // the display source code the cycle runs for; -1 = the output shows an input
    int channel;       // 0-based input now shown
    int64_t switchAt;  // when the current dwell ends (ms); kNever while the cycle holds
};

struct VideoState {
    bool permanentlyLost[kMaxChannels];  // inputs with no video for the whole run
    int64_t flapPeriodMs;                // 0 = no flapping input
    int flapInput;                       // 0-based input that flaps now; -1 = none
    bool flapLost;                       // the flapping input has lost its video
    int64_t nextFlapAt;
};

// Seconds since 2000-01-01 00:00:00, running from an anchor on the
// simulator's monotonic clock.
struct UnitClock {
    int64_t secondsAtAnchor;
    int64_t anchorMs;
};

struct SimUnit {
    // The settings tables, in the program's own layout and with its start
    // values. Not used here: TitleText (the unit keeps JIS codes, below),
    // IoStatus, GlyphBitmap, RequestedGlyphCode and RequestedGlyphSize
    // (program-side buffers).
    DeviceModelData settings;

    // Titles as the unit holds them: 28 codes per channel, JIS X 0208 or the
    // code of a registered glyph put there by an insertion.
    uint16_t titleCodes[kMaxChannels][kTitleCharacters];

    // Registered glyph bitmaps, per size and slot (all dark until registered).
    unsigned char smallGlyphs[kSmallGlyphSlots][72];
    unsigned char mediumGlyphs[kMediumGlyphSlots][128];
    unsigned char largeGlyphs[kLargeGlyphSlots][288];

    AutoSwitchCycle cycle[kOutputCount];
    VideoState video;
    UnitClock clock;

    int number;          // 1-based within the simulator; tells the units' MAC addresses apart
    int commandCount;    // commands answered so far (for the every-N-th error fault)
};

// How a unit starts.
struct SimUnitSetup {
    int number = 1;
    char firmwareVersion[5] = "1.00";  // exactly four characters
    bool lostInputs[kMaxChannels] = {};
    int flapSeconds = 0;               // 0 = no flapping input
};

// Start values of the program's model, the default titles as JIS codes, no
// registered glyphs, the clock set from `wallSeconds` (seconds since 2000).
void ResetSimUnit(SimUnit& unit, const SimUnitSetup& setup, int64_t nowMs, int64_t wallSeconds);

// The stored bitmap of a registered glyph; nullptr for a slot outside the
// size's slot count. sizeType as protocol/glyph.h (0 LARGE, 1 MEDIUM, 2 SMALL).
unsigned char* GlyphSlotBitmap(SimUnit& unit, int sizeType, int slot);
