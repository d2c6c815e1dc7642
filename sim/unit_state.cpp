#include "sim/unit_state.h"

#include <cstdio>
#include <cstring>

#include "protocol/glyph.h"
#include "protocol/jis.h"
#include "protocol/title_codec.h"
#include "sim/live_status.h"
#include "sim/unit_clock.h"

namespace {

// The unit's MAC address: a locally administered address whose last byte is
// the unit's number, so that several simulated units are told apart.
void WriteMacAddress(int number, char (&text)[18])
{
    snprintf(text, sizeof text, "02-4B-56-52-%02X-%02X", (number >> 8) & 0xFF, number & 0xFF);
}

void SetDefaultTitleCodes(SimUnit& unit)
{
    for (int c = 0; c < kMaxChannels; ++c) {
        uint16_t codes[kTitleCharacters];
        if (EncodeTitle(unit.settings.TitleText[c], codes) != kTitleOk) {
            for (uint16_t& code : codes)
                code = kJisFullWidthSpace;
        }
        memcpy(unit.titleCodes[c], codes, sizeof codes);
    }
}

} // namespace

void ResetSimUnit(SimUnit& unit, const SimUnitSetup& setup, int64_t nowMs, int64_t wallSeconds)
{
    ResetModelToStartValues(unit.settings);
    SetDefaultTitleCodes(unit);
    memset(unit.smallGlyphs, 0, sizeof unit.smallGlyphs);
    memset(unit.mediumGlyphs, 0, sizeof unit.mediumGlyphs);
    memset(unit.largeGlyphs, 0, sizeof unit.largeGlyphs);

    UnitNetworkRecord& net = unit.settings.UnitNetwork;
    WriteMacAddress(setup.number, net.macAddressText);
    memcpy(net.firmwareVersionText, setup.firmwareVersion, 4);
    net.firmwareVersionText[4] = '\0';

    for (AutoSwitchCycle& cycle : unit.cycle) {
        cycle.source = -1;
        cycle.channel = 0;
        cycle.switchAt = kNever;
    }
    StartVideoState(unit.video, setup.lostInputs, setup.flapSeconds, nowMs);
    StartUnitClock(unit.clock, wallSeconds, nowMs);
    unit.number = setup.number;
    unit.commandCount = 0;
    AdvanceLiveStatus(unit, nowMs);
}

unsigned char* GlyphSlotBitmap(SimUnit& unit, int sizeType, int slot)
{
    if (slot < 0)
        return nullptr;
    switch (sizeType) {
    case kGlyphSmall: return slot < kSmallGlyphSlots ? unit.smallGlyphs[slot] : nullptr;
    case kGlyphMedium: return slot < kMediumGlyphSlots ? unit.mediumGlyphs[slot] : nullptr;
    default: return slot < kLargeGlyphSlots ? unit.largeGlyphs[slot] : nullptr;
    }
}
