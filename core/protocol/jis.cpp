#include "protocol/jis.h"

bool IsShiftJisLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

uint16_t ShiftJisToJisRaw(uint16_t sjis)
{
    const unsigned lead = sjis >> 8;
    const unsigned trail = sjis & 0xFF;
    if (!IsShiftJisLeadByte(static_cast<unsigned char>(lead)))
        return 0;
    if (trail < 0x40 || trail == 0x7F || trail > 0xFC)
        return 0;
    const unsigned h = lead < 0xA0 ? lead - 0x81 : lead - 0xC1;
    unsigned jis;
    if (trail <= 0x7E)
        jis = 0x2100 + 512 * h + (trail - 0x1F);
    else if (trail <= 0x9E)
        jis = 0x2100 + 512 * h + (trail - 0x20);
    else
        jis = 0x2200 + 512 * h + (trail - 0x7E);
    if (jis < 0x2121 || jis > 0x7E7E)
        return 0;
    return static_cast<uint16_t>(jis);
}

uint16_t ReplaceIbmExtension(uint16_t s)
{
    if (s < 0xFA40)
        return s;
    if (s <= 0xFA49)
        return static_cast<uint16_t>(s - 0x0B51);   // small roman numerals
    if (s >= 0xFA55 && s <= 0xFA57)
        return static_cast<uint16_t>(s - 0x0B5B);
    if ((s >= 0xFA5C && s <= 0xFA7E) || (s >= 0xFA9C && s <= 0xFAFC) ||
        (s >= 0xFB5C && s <= 0xFB7E) || (s >= 0xFB9C && s <= 0xFBFC))
        return static_cast<uint16_t>(s - 0x0D1C);
    if ((s >= 0xFA80 && s <= 0xFA9B) || (s >= 0xFB80 && s <= 0xFB9B))
        return static_cast<uint16_t>(s - 0x0D1D);
    if ((s >= 0xFB40 && s <= 0xFB5B) || (s >= 0xFC40 && s <= 0xFC4B))
        return static_cast<uint16_t>(s - 0x0D5F);
    return 0;
}

uint16_t ShiftJisToJis(uint16_t sjis)
{
    const uint16_t replaced = ReplaceIbmExtension(sjis);
    return replaced == 0 ? 0 : ShiftJisToJisRaw(replaced);
}

uint16_t JisToShiftJis(uint16_t jis)
{
    unsigned j1 = jis >> 8;
    unsigned j2 = jis & 0xFF;
    if (j1 < 0x21 || j1 > 0x7E || j2 < 0x21 || j2 > 0x7E)
        return 0;
    unsigned lead = ((j1 - 0x21) >> 1) + 0x81;
    if (lead > 0x9F)
        lead += 0x40;
    unsigned trail;
    if (j1 & 1)
        trail = j2 + (j2 >= 0x60 ? 0x20 : 0x1F);
    else
        trail = j2 + 0x7E;
    return static_cast<uint16_t>((lead << 8) | trail);
}
