#include "protocol/title_codec.h"

#include <cstring>

#include "link/text_conversions.h"
#include "protocol/device_model.h"
#include "protocol/jis.h"

namespace {

// The settings file writes full-width spaces as "＊" and reads every "＊" back
// as a space, so a title cannot keep a "＊": it is refused like a character
// the unit cannot show, and a "＊" from the unit is taken as unknown.
constexpr uint16_t kShiftJisAsterisk = 0x8196;
constexpr uint16_t kJisAsterisk = 0x2176;

} // namespace

TitleCheck EncodeTitle(const char* title, uint16_t (&codes)[28])
{
    const size_t length = strnlen(title, kTitleSlotBytes);
    if (length > static_cast<size_t>(kTitleMaxBytes) || length % 2 != 0)
        return kTitleBadLength;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(title);
    for (int k = 0; k < kTitleCharacters; ++k) {
        uint16_t sjis = 0x8140;   // the fill-up: full-width space
        if (static_cast<size_t>(2 * k) < length)
            sjis = static_cast<uint16_t>((bytes[2 * k] << 8) | bytes[2 * k + 1]);
        if (sjis == kShiftJisAsterisk)
            return kTitleAsterisk;
        // Codes above 7C7E would come back from the unit as blanks.
        const uint16_t jis = ShiftJisToJis(sjis);
        if (jis == 0 || jis > kJisHighestTitleCode)
            return kTitleNoJisCode;
        codes[k] = jis;
    }
    return kTitleOk;
}

void DecodeTitle(const char* hexCodes, int count, char* slot)
{
    uint16_t sjis[kTitleCharacters];
    bool droppable[kTitleCharacters];
    for (int k = 0; k < kTitleCharacters; ++k) {
        uint16_t jis = kJisFullWidthSpace;
        bool unknown = false;
        if (k < count) {
            jis = static_cast<uint16_t>((ParseHexByte(hexCodes + 4 * k) << 8) |
                                        ParseHexByte(hexCodes + 4 * k + 2));
            if (jis > kJisHighestTitleCode || jis == kJisAsterisk || JisToShiftJis(jis) == 0) {
                unknown = true;
                jis = kJisFullWidthSpace;
            }
        }
        sjis[k] = JisToShiftJis(jis);
        droppable[k] = !unknown && jis == kJisFullWidthSpace;
    }
    int used = kTitleCharacters;
    while (used > 0 && droppable[used - 1])
        --used;

    memset(slot, 0, kTitleSlotBytes);
    for (int k = 0; k < used; ++k) {
        slot[2 * k] = static_cast<char>(sjis[k] >> 8);
        slot[2 * k + 1] = static_cast<char>(sjis[k] & 0xFF);
    }
}
