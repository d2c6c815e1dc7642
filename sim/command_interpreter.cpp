#include "sim/command_interpreter.h"

#include <cstring>

#include "link/text_conversions.h"
#include "protocol/glyph.h"
#include "sim/code_glyph.h"
#include "sim/live_status.h"
#include "sim/unit_clock.h"

namespace {

// The command without its line end; positions count from 0.
struct Cmd {
    const char* text;
    int length;
};

// One command being interpreted.
struct Job {
    SimUnit& unit;
    DeviceModelData& s;
    Cmd cmd;
    SimLinkKind link;
    bool apply;
    int64_t now;
    UnitReply& reply;
};

using Handler = CommandOutcome (*)(Job&);

int Channels(const Job& j)
{
    return j.s.ChannelCount;
}

// ---- Reply text (bounded; the buffer holds the longest reply with room to spare) ----

void Put(UnitReply& r, const char* text, int count)
{
    const int room = kUnitReplyBytes - 3 - r.length;   // keep room for "\r\n" and NUL
    if (count > room)
        count = room;
    memcpy(r.text + r.length, text, static_cast<size_t>(count));
    r.length += count;
    r.text[r.length] = '\0';
}

void Put(UnitReply& r, const char* text)
{
    Put(r, text, static_cast<int>(strlen(text)));
}

void PutChar(UnitReply& r, char c)
{
    Put(r, &c, 1);
}

void PutDecimal(UnitReply& r, int value, int digits)
{
    char text[8];
    FormatDecimal(value, text, digits);
    Put(r, text, digits);
}

void PutHex(UnitReply& r, int value, int digits)
{
    char text[8];
    FormatHex(value, text, digits, true);
    Put(r, text, digits);
}

// One letter per entry: `letters[0]` for 0, `letters[1]` for anything else.
void PutFlagLetters(UnitReply& r, const int* table, int count, const char* letters)
{
    for (int i = 0; i < count; ++i)
        PutChar(r, table[i] != 0 ? letters[1] : letters[0]);
}

void PutSource(UnitReply& r, int code, int channels)
{
    char text[3] = {'I', '0', '1'};
    FormatDisplaySource(code, channels, text);
    Put(r, text, 3);
}

void PutOctets(UnitReply& r, const int (&octets)[4])
{
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            PutChar(r, '.');
        PutDecimal(r, octets[i], 3);
    }
}

void StartReply(UnitReply& r)
{
    r.length = 0;
    r.text[0] = '\0';
}

void EndReply(UnitReply& r)
{
    r.text[r.length++] = '\r';
    r.text[r.length++] = '\n';
    r.text[r.length] = '\0';
}

CommandOutcome Answered(Job& j)
{
    EndReply(j.reply);
    return kCommandRead;
}

// ---- Field checks ------------------------------------------------------------

bool Number(const Cmd& c, int position, int digits, int low, int high, int& value)
{
    if (position + digits > c.length || !IsDecimalDigits(c.text + position, digits))
        return false;
    value = ParseDecimal(c.text + position, digits);
    return value >= low && value <= high;
}

// The letter at `position` is one of `letters`; its index goes into `index`.
bool Letter(const Cmd& c, int position, const char* letters, int& index)
{
    if (position >= c.length || c.text[position] == '\0')
        return false;
    const char* found = strchr(letters, c.text[position]);
    if (!found)
        return false;
    index = static_cast<int>(found - letters);
    return true;
}

bool Letters(const Cmd& c, int position, int count, const char* letters)
{
    int ignored;
    for (int i = 0; i < count; ++i)
        if (!Letter(c, position + i, letters, ignored))
            return false;
    return true;
}

// "ON" gives 1, "OF" gives 0.
bool FlagWord(const Cmd& c, int position, int& flag)
{
    if (position + 2 > c.length)
        return false;
    if (memcmp(c.text + position, "ON", 2) == 0)
        flag = 1;
    else if (memcmp(c.text + position, "OF", 2) == 0)
        flag = 0;
    else
        return false;
    return true;
}

bool Source(const Cmd& c, int position, int channels, int& code)
{
    if (position + 3 > c.length)
        return false;
    code = ParseDisplaySource(c.text + position, channels);
    return code >= 0;
}

bool Is(const Cmd& c, int position, char expected)
{
    return position < c.length && c.text[position] == expected;
}

// Stores already checked letters as their index in `letters`.
void StoreLetters(const Cmd& c, int position, int count, const char* letters, int* table)
{
    for (int i = 0; i < count; ++i)
        Letter(c, position + i, letters, table[i]);
}

// ---- Shapes shared by several commands -------------------------------------------

// mnemonic (of `position` characters) + one letter.
CommandOutcome SetLetter(Job& j, int position, const char* letters, int& field)
{
    int value;
    if (j.cmd.length != position + 1 || !Letter(j.cmd, position, letters, value))
        return kCommandRefused;
    if (j.apply)
        field = value;
    return kCommandSet;
}

// A per-entry flag table: mnemonic + entry number + "ON"/"OF", or mnemonic +
// one "N"/"F" letter for each of `count` entries.
CommandOutcome SetFlagTable(Job& j, int position, int* table, int count)
{
    const Cmd& c = j.cmd;
    if (c.length == position + 4) {
        int entry, flag;
        if (!Number(c, position, 2, 1, count, entry) || !FlagWord(c, position + 2, flag))
            return kCommandRefused;
        if (j.apply)
            table[entry - 1] = flag;
        return kCommandSet;
    }
    if (c.length == position + count) {
        if (!Letters(c, position, count, "FN"))
            return kCommandRefused;
        if (j.apply)
            StoreLetters(c, position, count, "FN", table);
        return kCommandSet;
    }
    return kCommandRefused;
}

// A per-channel letter table: mnemonic + channel + one letter, or mnemonic +
// one letter per channel. letters[i] stands for value i.
CommandOutcome SetLetterTable(Job& j, int position, const char* letters, int* table)
{
    const Cmd& c = j.cmd;
    const int n = Channels(j);
    if (c.length == position + 3) {
        int channel, value;
        if (!Number(c, position, 2, 1, n, channel) || !Letter(c, position + 2, letters, value))
            return kCommandRefused;
        if (j.apply)
            table[channel - 1] = value;
        return kCommandSet;
    }
    if (c.length == position + n) {
        if (!Letters(c, position, n, letters))
            return kCommandRefused;
        if (j.apply)
            StoreLetters(c, position, n, letters, table);
        return kCommandSet;
    }
    return kCommandRefused;
}

// Per-channel groups of flags (the alarm outputs): mnemonic + channel + one
// group, or mnemonic + a group for every channel.
template <int PerChannel>
CommandOutcome SetFlagGroups(Job& j, int (&table)[kMaxChannels][PerChannel])
{
    const Cmd& c = j.cmd;
    const int n = Channels(j);
    if (c.length == 3 + 2 + PerChannel) {
        int channel;
        if (!Number(c, 3, 2, 1, n, channel) || !Letters(c, 5, PerChannel, "FN"))
            return kCommandRefused;
        if (j.apply)
            StoreLetters(c, 5, PerChannel, "FN", table[channel - 1]);
        return kCommandSet;
    }
    if (c.length == 3 + n * PerChannel) {
        if (!Letters(c, 3, n * PerChannel, "FN"))
            return kCommandRefused;
        if (j.apply)
            for (int ch = 0; ch < n; ++ch)
                StoreLetters(c, 3 + ch * PerChannel, PerChannel, "FN", table[ch]);
        return kCommandSet;
    }
    return kCommandRefused;
}

// A read without arguments: exactly the mnemonic.
bool Bare(const Job& j, int length)
{
    return j.cmd.length == length;
}

// ---- Alarm settings ---------------------------------------------------------------

CommandOutcome SetAlarmPolarity(Job& j)
{
    return SetLetter(j, 3, "MB", j.s.AlarmSettings.inputPolarity);
}

CommandOutcome SetAlarmHoldTime(Job& j)
{
    int hold;
    if (j.cmd.length != 5 || !Number(j.cmd, 3, 2, 1, kMaxDwellTime, hold))
        return kCommandRefused;
    if (j.apply) {
        j.s.AlarmSettings.holdTime = hold;
        SyncHoldTimeText(j.s.AlarmSettings);
    }
    return kCommandSet;
}

CommandOutcome SetAlarmBuzzer(Job& j)
{
    return SetLetter(j, 4, "FN", j.s.AlarmSettings.buzzer);
}

CommandOutcome SetAlarmDisplay(Job& j)
{
    return SetLetter(j, 3, "FN", j.s.AlarmSettings.alarmDisplay);
}

CommandOutcome SetAlarmReturn(Job& j)
{
    return SetLetter(j, 3, "FN", j.s.AlarmSettings.autoReturn);
}

CommandOutcome SetAlarmInput(Job& j)
{
    const Cmd& c = j.cmd;
    const int n = Channels(j);
    if (c.length == 8) {
        int connector, channel;
        if (!Number(c, 3, 2, 1, kAlarmInputCount, connector) || !Is(c, 5, 'I') ||
            !Number(c, 6, 2, 1, n, channel))
            return kCommandRefused;
        if (j.apply)
            j.s.AlarmInputChannel[connector - 1] = channel - 1;
        return kCommandSet;
    }
    if (c.length == 3 + 2 * kAlarmInputCount) {
        int channels[kAlarmInputCount];
        for (int i = 0; i < kAlarmInputCount; ++i) {
            if (!Number(c, 3 + 2 * i, 2, 1, n, channels[i]))
                return kCommandRefused;
        }
        if (j.apply)
            for (int i = 0; i < kAlarmInputCount; ++i)
                j.s.AlarmInputChannel[i] = channels[i] - 1;
        return kCommandSet;
    }
    return kCommandRefused;
}

CommandOutcome SetAlarmVideoOutputs(Job& j)
{
    return SetFlagGroups(j, j.s.AlarmVideoOutput);
}

CommandOutcome SetAlarmSignalOutputs(Job& j)
{
    return SetFlagGroups(j, j.s.AlarmSignalOutput);
}

// ---- Display patterns, auto-switch patterns, video outputs ---------------------

// "OP": recall a pattern (or the free layout), store one output of a pattern,
// or store a whole pattern.
CommandOutcome SetPattern(Job& j)
{
    const Cmd& c = j.cmd;
    const int n = Channels(j);
    if (c.length == 4) {
        int pattern;
        if (c.text[2] == 'F' && c.text[3] == 'R')
            pattern = kFreePattern;
        else if (Number(c, 2, 2, 1, kPatternCount, pattern))
            pattern -= 1;
        else
            return kCommandRefused;
        if (j.apply) {
            // A recalled pattern also becomes the free layout, so that
            // switching to the free layout afterwards keeps the picture (the
            // program mirrors this in its own tables).
            if (pattern != kFreePattern)
                memcpy(j.s.DisplayPatternTable[kFreePattern], j.s.DisplayPatternTable[pattern],
                       sizeof j.s.DisplayPatternTable[kFreePattern]);
            j.s.CurrentDisplayPattern = pattern;
        }
        return kCommandSet;
    }
    int pattern;
    if (!Number(c, 2, 2, 1, kPatternCount, pattern))
        return kCommandRefused;
    if (c.length == 9) {
        int output, source;
        if (!Number(c, 4, 2, 1, kOutputCount, output) || !Source(c, 6, n, source))
            return kCommandRefused;
        if (j.apply)
            j.s.DisplayPatternTable[pattern - 1][output - 1] = source;
        return kCommandSet;
    }
    if (c.length == 4 + 3 * kOutputCount) {
        int row[kOutputCount];
        for (int o = 0; o < kOutputCount; ++o)
            if (!Source(c, 4 + 3 * o, n, row[o]))
                return kCommandRefused;
        if (j.apply)
            memcpy(j.s.DisplayPatternTable[pattern - 1], row, sizeof row);
        return kCommandSet;
    }
    return kCommandRefused;
}

// "O": one output of the free layout.
CommandOutcome SetFreeOutput(Job& j)
{
    int output, source;
    if (j.cmd.length != 6 || !Number(j.cmd, 1, 2, 1, kOutputCount, output) ||
        !Source(j.cmd, 3, Channels(j), source))
        return kCommandRefused;
    if (j.apply)
        j.s.DisplayPatternTable[kFreePattern][output - 1] = source;
    return kCommandSet;
}

// "OS": the whole free layout.
CommandOutcome SetFreeLayout(Job& j)
{
    if (j.cmd.length != 2 + 3 * kOutputCount)
        return kCommandRefused;
    int row[kOutputCount];
    for (int o = 0; o < kOutputCount; ++o)
        if (!Source(j.cmd, 2 + 3 * o, Channels(j), row[o]))
            return kCommandRefused;
    if (j.apply)
        memcpy(j.s.DisplayPatternTable[kFreePattern], row, sizeof row);
    return kCommandSet;
}

CommandOutcome SetAutoSwitch(Job& j)
{
    const Cmd& c = j.cmd;
    const int n = Channels(j);
    int pattern;
    if (!Number(c, 2, 2, 1, kPatternCount, pattern))
        return kCommandRefused;
    int* row = j.s.AutoSwitchPatternTable[pattern - 1];
    if (c.length == 8) {
        int channel, dwell;
        if (!Number(c, 4, 2, 1, n, channel) || !Number(c, 6, 2, 0, kMaxDwellTime, dwell))
            return kCommandRefused;
        if (j.apply)
            row[channel - 1] = dwell;
        return kCommandSet;
    }
    if (c.length == 4 + 2 * n) {
        if (!IsDecimalDigits(c.text + 4, 2 * n))
            return kCommandRefused;
        if (j.apply)
            for (int ch = 0; ch < n; ++ch)
                row[ch] = ParseDecimal(c.text + 4 + 2 * ch, 2);
        return kCommandSet;
    }
    return kCommandRefused;
}

CommandOutcome SetVideoOutputs(Job& j)
{
    const Cmd& c = j.cmd;
    if (c.length == 6) {
        // Output 1 is always on; only outputs 2..16 are switched one by one.
        int output, flag;
        if (!Number(c, 2, 2, 2, kOutputCount, output) || !FlagWord(c, 4, flag))
            return kCommandRefused;
        if (j.apply)
            j.s.VideoOutputEnable[output - 1] = flag;
        return kCommandSet;
    }
    if (c.length == 2 + kOutputCount) {
        if (!Letters(c, 2, kOutputCount, "FN"))
            return kCommandRefused;
        if (j.apply)
            StoreLetters(c, 2, kOutputCount, "FN", j.s.VideoOutputEnable);
        return kCommandSet;
    }
    return kCommandRefused;
}

// ---- Date and time ----------------------------------------------------------------

CommandOutcome SetClockField(Job& j, ClockField field, int low, int high)
{
    int value;
    if (j.cmd.length != 5 || !Number(j.cmd, 3, 2, low, high, value))
        return kCommandRefused;
    if (j.apply)
        SetUnitClockField(j.unit.clock, field, value, j.now);
    return kCommandSet;
}

CommandOutcome SetYear(Job& j) { return SetClockField(j, kClockYear, 0, 99); }
CommandOutcome SetMonth(Job& j) { return SetClockField(j, kClockMonth, 1, 12); }
CommandOutcome SetDay(Job& j) { return SetClockField(j, kClockDay, 1, 31); }
CommandOutcome SetHour(Job& j) { return SetClockField(j, kClockHour, 0, 23); }
CommandOutcome SetMinute(Job& j) { return SetClockField(j, kClockMinute, 0, 59); }
CommandOutcome SetSecond(Job& j) { return SetClockField(j, kClockSecond, 0, 59); }

CommandOutcome CorrectClock(Job& j)
{
    if (!Bare(j, 3))
        return kCommandRefused;
    if (j.apply)
        CorrectUnitClock(j.unit.clock, j.now);
    return kCommandSet;
}

// The simulator's own read-back of the running clock, to the millisecond:
// "DT2026/12/31 23:59:59.500". A real unit shows its clock only on screen.
CommandOutcome ReadClock(Job& j)
{
    if (!Bare(j, 3))
        return kCommandRefused;
    const int64_t ms = UnitClockMs(j.unit.clock, j.now);
    const int64_t seconds = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
    const DateTimeFields f = DateTimeOfSeconds(seconds);
    const int fields[6] = {f.year, f.month, f.day, f.hour, f.minute, f.second};
    const char after[6] = {'/', '/', ' ', ':', ':', '.'};
    Put(j.reply, "DT");
    for (int k = 0; k < 6; ++k) {
        PutDecimal(j.reply, fields[k], k == 0 ? 4 : 2);
        PutChar(j.reply, after[k]);
    }
    PutDecimal(j.reply, static_cast<int>(ms - seconds * 1000), 3);
    return Answered(j);
}

CommandOutcome SetDateTimeFormat(Job& j)
{
    return SetLetter(j, 4, "12345678", j.s.DateTimeFormat);
}

CommandOutcome SetDateTimeSize(Job& j)
{
    return SetLetter(j, 4, "NS", j.s.DateTimeSize);
}

CommandOutcome SetDateTimeInputs(Job& j)
{
    return SetFlagTable(j, 3, j.s.DateTimeDisplayInput, Channels(j));
}

CommandOutcome SetDateTimeOutputs(Job& j)
{
    return SetFlagTable(j, 3, j.s.DateTimeDisplayOutput, kOutputCount);
}

// ---- Titles ------------------------------------------------------------------------

bool IsJisByte(int byte)
{
    return byte >= 0x21 && byte <= 0x7E;
}

// "CT" + channel + 28 JIS codes of 4 hexadecimal digits.
CommandOutcome SetTitle(Job& j)
{
    const Cmd& c = j.cmd;
    int channel;
    if (c.length != 4 + 4 * kTitleCharacters || !Number(c, 2, 2, 1, Channels(j), channel) ||
        !IsHexDigits(c.text + 4, 4 * kTitleCharacters))
        return kCommandRefused;
    uint16_t codes[kTitleCharacters];
    for (int k = 0; k < kTitleCharacters; ++k) {
        const int code = ParseHex(c.text + 4 + 4 * k, 4);
        if (!IsJisByte(code >> 8) || !IsJisByte(code & 0xFF))
            return kCommandRefused;
        codes[k] = static_cast<uint16_t>(code);
    }
    if (j.apply)
        memcpy(j.unit.titleCodes[channel - 1], codes, sizeof codes);
    return kCommandSet;
}

CommandOutcome SetTitleInputs(Job& j)
{
    return SetFlagTable(j, 3, j.s.TitleDisplayInput, Channels(j));
}

CommandOutcome SetTitleOutputs(Job& j)
{
    return SetFlagTable(j, 3, j.s.TitleDisplayOutput, kOutputCount);
}

CommandOutcome SetTitleFineTop(Job& j)
{
    int step;
    if (j.cmd.length != 6 || !Number(j.cmd, 4, 2, 1, kFineSteps, step))
        return kCommandRefused;
    if (j.apply)
        j.s.TitleFineTop = step - 1;
    return kCommandSet;
}

CommandOutcome SetTitleFineBottom(Job& j)
{
    int step;
    if (j.cmd.length != 6 || !Number(j.cmd, 4, 2, 1, kFineSteps, step))
        return kCommandRefused;
    if (j.apply)
        j.s.TitleFineBottom = step - 1;
    return kCommandSet;
}

CommandOutcome SetTitlePositions(Job& j)
{
    return SetLetterTable(j, 4, "BT", j.s.TitlePosition);
}

CommandOutcome SetTitleSizes(Job& j)
{
    return SetLetterTable(j, 4, "LMS", j.s.TitleFontSize);
}

// ---- Panel lock ----------------------------------------------------------------------

CommandOutcome SetButtonLock(Job& j)
{
    return SetLetter(j, 3, "FN", j.s.PanelLock.buttonLock);
}

CommandOutcome SetMenuLock(Job& j)
{
    return SetLetter(j, 3, "FN", j.s.PanelLock.menuLock);
}

CommandOutcome SetPassword(Job& j)
{
    if (j.cmd.length != 2 + kPasswordLength || !IsDecimalDigits(j.cmd.text + 2, kPasswordLength))
        return kCommandRefused;
    if (j.apply) {
        memcpy(j.s.PanelLock.password, j.cmd.text + 2, kPasswordLength);
        j.s.PanelLock.password[kPasswordLength] = '\0';
    }
    return kCommandSet;
}

// ---- User-defined glyphs ---------------------------------------------------------------

bool SizeLetter(const Cmd& c, int position, int& sizeType)
{
    int index;
    if (!Letter(c, position, "LMS", index))
        return false;
    sizeType = index;   // the letters stand in the order of the size type numbers
    return true;
}

// "GR" + size + slot + the bitmap as hexadecimal pairs.
CommandOutcome RegisterGlyph(Job& j)
{
    const Cmd& c = j.cmd;
    int sizeType, slot;
    if (!SizeLetter(c, 2, sizeType))
        return kCommandRefused;
    const GlyphSizeInfo& size = GlyphSizeOf(sizeType);
    if (c.length != 6 + 2 * size.bitmapBytes || !Number(c, 3, 3, 1, size.slotCount, slot) ||
        !IsHexDigits(c.text + 6, 2 * size.bitmapBytes))
        return kCommandRefused;
    if (j.apply) {
        unsigned char* bitmap = GlyphSlotBitmap(j.unit, sizeType, slot - 1);
        for (int i = 0; i < size.bitmapBytes; ++i)
            bitmap[i] = static_cast<unsigned char>(ParseHex(c.text + 6 + 2 * i, 2));
    }
    return kCommandSet;
}

// "G" + slot + "C" + channel + "I" + position: the glyph's code goes into
// that character position of the channel's title. The widest title (SMALL,
// 28 positions, 256 slots) bounds the numbers, whatever size the title has.
CommandOutcome InsertGlyph(Job& j)
{
    const Cmd& c = j.cmd;
    int slot, channel, position;
    if (c.length != 10 || !Number(c, 1, 3, 1, kSmallGlyphSlots, slot) || !Is(c, 4, 'C') ||
        !Number(c, 5, 2, 1, Channels(j), channel) || !Is(c, 7, 'I') ||
        !Number(c, 8, 2, 1, kTitleCharacters, position))
        return kCommandRefused;
    if (j.apply)
        j.unit.titleCodes[channel - 1][position - 1] = GlyphCodeOfSlot(slot - 1);
    return kCommandSet;
}

// The registration slot of a glyph code of the given size; -1 when the code
// is no registration code of that size.
int SlotOfGlyphCode(int code, int sizeType)
{
    const int high = code >> 8;
    const int low = code & 0xFF;
    if (high < 0xA3 || !IsJisByte(low))
        return -1;
    const int slot = (high - 0xA3) * 94 + (low - 0x21) - 68;
    return slot >= 0 && slot < GlyphSizeOf(sizeType).slotCount ? slot : -1;
}

// "RFBM" + size + code: a registered glyph, or the glyph of a standard character.
CommandOutcome ReadGlyph(Job& j)
{
    const Cmd& c = j.cmd;
    int sizeType;
    if (c.length != 9 || !SizeLetter(c, 4, sizeType) || !IsHexDigits(c.text + 5, 4))
        return kCommandRefused;
    const int code = ParseHex(c.text + 5, 4);
    const GlyphSizeInfo& size = GlyphSizeOf(sizeType);
    unsigned char drawn[kGlyphBitmapBytes];
    const unsigned char* bitmap = nullptr;
    const int slot = SlotOfGlyphCode(code, sizeType);
    if (slot >= 0) {
        bitmap = GlyphSlotBitmap(j.unit, sizeType, slot);
    } else if (IsJisByte(code >> 8) && IsJisByte(code & 0xFF)) {
        DrawCodeGlyph(static_cast<uint16_t>(code), sizeType, drawn);
        bitmap = drawn;
    } else {
        return kCommandRefused;
    }
    Put(j.reply, "FBM");
    PutChar(j.reply, size.letter);
    Put(j.reply, c.text + 5, 4);   // the code exactly as asked for: the program compares it
    for (int i = 0; i < size.bitmapBytes; ++i)
        PutHex(j.reply, bitmap[i], 2);
    return Answered(j);
}

// ---- Unit network settings ----------------------------------------------------------------

// mnemonic + four 3-digit octets joined by ".".
CommandOutcome SetAddress(Job& j, int (&field)[4])
{
    const Cmd& c = j.cmd;
    if (c.length != 18)
        return kCommandRefused;
    int octets[4];
    for (int i = 0; i < 4; ++i) {
        if (!Number(c, 3 + 4 * i, 3, 0, 255, octets[i]))
            return kCommandRefused;
        if (i < 3 && !Is(c, 6 + 4 * i, '.'))
            return kCommandRefused;
    }
    if (j.apply)
        memcpy(field, octets, sizeof octets);
    return kCommandSet;
}

CommandOutcome SetIpAddress(Job& j) { return SetAddress(j, j.s.UnitNetwork.ipAddress); }
CommandOutcome SetGatewayAddress(Job& j) { return SetAddress(j, j.s.UnitNetwork.gatewayAddress); }
CommandOutcome SetActiveAddress(Job& j) { return SetAddress(j, j.s.UnitNetwork.activeAddress); }
CommandOutcome SetSubnetMask(Job& j) { return SetAddress(j, j.s.UnitNetwork.subnetMask); }

CommandOutcome SetOnOff(Job& j, int& field)
{
    int flag;
    if (j.cmd.length != 5 || !FlagWord(j.cmd, 3, flag))
        return kCommandRefused;
    if (j.apply)
        field = flag;
    return kCommandSet;
}

CommandOutcome SetConnectionTry(Job& j) { return SetOnOff(j, j.s.UnitNetwork.connectionTry); }
CommandOutcome SetKeepAlive(Job& j) { return SetOnOff(j, j.s.UnitNetwork.keepAlive); }

// mnemonic + a port number 1..65535 in exactly five digits.
CommandOutcome SetPort(Job& j, char (&field)[6])
{
    int port;
    if (j.cmd.length != 9 || !Number(j.cmd, 4, 5, 1, 65535, port))
        return kCommandRefused;
    if (j.apply) {
        memcpy(field, j.cmd.text + 4, 5);
        field[5] = '\0';
    }
    return kCommandSet;
}

CommandOutcome SetSourcePort(Job& j) { return SetPort(j, j.s.UnitNetwork.sourcePortText); }
CommandOutcome SetDestinationPort(Job& j) { return SetPort(j, j.s.UnitNetwork.destinationPortText); }

CommandOutcome SetTimeRegister(Job& j)
{
    return SetLetter(j, 3, "12345678", j.s.UnitNetwork.timeRegister);
}

CommandOutcome ReadAddress(Job& j, const char* mnemonic, const int (&octets)[4])
{
    if (!Bare(j, 4))
        return kCommandRefused;
    Put(j.reply, mnemonic);
    PutOctets(j.reply, octets);
    return Answered(j);
}

CommandOutcome ReadIpAddress(Job& j) { return ReadAddress(j, "EIA", j.s.UnitNetwork.ipAddress); }
CommandOutcome ReadGatewayAddress(Job& j) { return ReadAddress(j, "EGA", j.s.UnitNetwork.gatewayAddress); }
CommandOutcome ReadActiveAddress(Job& j) { return ReadAddress(j, "EAA", j.s.UnitNetwork.activeAddress); }
CommandOutcome ReadSubnetMask(Job& j) { return ReadAddress(j, "ESM", j.s.UnitNetwork.subnetMask); }

CommandOutcome ReadOnOff(Job& j, const char* mnemonic, int flag)
{
    if (!Bare(j, 4))
        return kCommandRefused;
    Put(j.reply, mnemonic);
    Put(j.reply, flag ? "ON" : "OF");
    return Answered(j);
}

CommandOutcome ReadConnectionTry(Job& j) { return ReadOnOff(j, "ECT", j.s.UnitNetwork.connectionTry); }
CommandOutcome ReadKeepAlive(Job& j) { return ReadOnOff(j, "EKA", j.s.UnitNetwork.keepAlive); }

CommandOutcome ReadTimeRegister(Job& j)
{
    if (!Bare(j, 4))
        return kCommandRefused;
    Put(j.reply, "ETR");
    PutChar(j.reply, static_cast<char>('1' + j.s.UnitNetwork.timeRegister));
    return Answered(j);
}

CommandOutcome ReadPort(Job& j, const char* mnemonic, const char* port)
{
    if (!Bare(j, 5))
        return kCommandRefused;
    Put(j.reply, mnemonic);
    Put(j.reply, port, 5);
    return Answered(j);
}

CommandOutcome ReadSourcePort(Job& j) { return ReadPort(j, "ESPN", j.s.UnitNetwork.sourcePortText); }
CommandOutcome ReadDestinationPort(Job& j) { return ReadPort(j, "EDPN", j.s.UnitNetwork.destinationPortText); }

CommandOutcome ReadMacAddress(Job& j)
{
    if (!Bare(j, 4))
        return kCommandRefused;
    Put(j.reply, "EMA");
    Put(j.reply, j.s.UnitNetwork.macAddressText, 17);
    return Answered(j);
}

// The identification: the version stands at characters 14..17 of a line of
// 18 characters before its line end, as both of the program's parsers take it.
CommandOutcome ReadIdentification(Job& j)
{
    if (!Bare(j, 3))
        return kCommandRefused;
    Put(j.reply, j.link == kSimLinkTcp ? "VN KVR-2840E v" : "KVR-2840E ver ");
    Put(j.reply, j.s.UnitNetwork.firmwareVersionText, 4);
    return Answered(j);
}

// ---- Routing reads -------------------------------------------------------------------------

void PutPatternRow(Job& j, int row)
{
    for (int o = 0; o < kOutputCount; ++o)
        PutSource(j.reply, j.s.DisplayPatternTable[row][o], Channels(j));
}

CommandOutcome ReadPattern(Job& j)
{
    if (Bare(j, 3)) {
        Put(j.reply, "OP");
        if (j.s.CurrentDisplayPattern == kFreePattern)
            Put(j.reply, "FR");
        else
            PutDecimal(j.reply, j.s.CurrentDisplayPattern + 1, 2);
        return Answered(j);
    }
    int pattern;
    if (j.cmd.length != 5 || !Number(j.cmd, 3, 2, 1, kPatternCount, pattern))
        return kCommandRefused;
    Put(j.reply, "OP");
    PutDecimal(j.reply, pattern, 2);
    PutPatternRow(j, pattern - 1);
    return Answered(j);
}

CommandOutcome ReadAutoSwitch(Job& j)
{
    int pattern;
    if (j.cmd.length != 5 || !Number(j.cmd, 3, 2, 1, kPatternCount, pattern))
        return kCommandRefused;
    Put(j.reply, "SP");
    PutDecimal(j.reply, pattern, 2);
    for (int ch = 0; ch < Channels(j); ++ch)
        PutDecimal(j.reply, j.s.AutoSwitchPatternTable[pattern - 1][ch], 2);
    return Answered(j);
}

CommandOutcome ReadVideoOutputs(Job& j)
{
    if (!Bare(j, 3))
        return kCommandRefused;
    Put(j.reply, "OE");
    PutFlagLetters(j.reply, j.s.VideoOutputEnable, kOutputCount, "FN");
    return Answered(j);
}

// Live sources: "I" + the input an output shows, or "S" + the auto-switch
// pattern it runs.
CommandOutcome ReadOutputSources(Job& j)
{
    if (!Bare(j, 3))
        return kCommandRefused;
    Put(j.reply, "OS");
    for (int o = 0; o < kOutputCount; ++o)
        PutSource(j.reply, LiveSourceOfOutput(j.unit, o), Channels(j));
    return Answered(j);
}

// Live inputs: the input each output shows now, auto-switch cycles included.
CommandOutcome ReadOutputChannels(Job& j)
{
    if (!Bare(j, 4))
        return kCommandRefused;
    Put(j.reply, "OCD");
    for (int o = 0; o < kOutputCount; ++o)
        PutDecimal(j.reply, LiveChannelOfOutput(j.unit, o) + 1, 2);
    return Answered(j);
}

// "N" for an input with video, "F" for one without.
CommandOutcome ReadVideoLoss(Job& j)
{
    if (!Bare(j, 3))
        return kCommandRefused;
    Put(j.reply, "VL");
    for (int input = 0; input < Channels(j); ++input)
        PutChar(j.reply, InputHasVideo(j.unit, input) ? 'N' : 'F');
    return Answered(j);
}

// ---- Reads of the settings the program only writes -----------------------------------------

CommandOutcome ReadLetter(Job& j, int length, const char* mnemonic, const char* letters, int value)
{
    if (!Bare(j, length))
        return kCommandRefused;
    Put(j.reply, mnemonic);
    PutChar(j.reply, letters[value]);
    return Answered(j);
}

CommandOutcome ReadAlarmPolarity(Job& j) { return ReadLetter(j, 4, "AIP", "MB", j.s.AlarmSettings.inputPolarity != 0); }
CommandOutcome ReadAlarmBuzzer(Job& j) { return ReadLetter(j, 5, "ABOO", "FN", j.s.AlarmSettings.buzzer != 0); }
CommandOutcome ReadAlarmDisplay(Job& j) { return ReadLetter(j, 4, "ADO", "FN", j.s.AlarmSettings.alarmDisplay != 0); }
CommandOutcome ReadAlarmReturn(Job& j) { return ReadLetter(j, 4, "ARO", "FN", j.s.AlarmSettings.autoReturn != 0); }
CommandOutcome ReadDateTimeFormat(Job& j) { return ReadLetter(j, 5, "TSDR", "12345678", j.s.DateTimeFormat); }
CommandOutcome ReadDateTimeSize(Job& j) { return ReadLetter(j, 5, "TSDS", "NS", j.s.DateTimeSize != 0); }
CommandOutcome ReadMenuLock(Job& j) { return ReadLetter(j, 4, "PMO", "FN", j.s.PanelLock.menuLock != 0); }
CommandOutcome ReadButtonLock(Job& j) { return ReadLetter(j, 4, "POO", "FN", j.s.PanelLock.buttonLock != 0); }

CommandOutcome ReadAlarmHoldTime(Job& j)
{
    if (!Bare(j, 4))
        return kCommandRefused;
    Put(j.reply, "ADT");
    PutDecimal(j.reply, j.s.AlarmSettings.holdTime, 2);
    return Answered(j);
}

CommandOutcome ReadAlarmInputs(Job& j)
{
    if (!Bare(j, 4))
        return kCommandRefused;
    Put(j.reply, "AIN");
    for (int i = 0; i < kAlarmInputCount; ++i)
        PutDecimal(j.reply, j.s.AlarmInputChannel[i] + 1, 2);
    return Answered(j);
}

template <int PerChannel>
CommandOutcome ReadFlagGroups(Job& j, const char* mnemonic, const int (&table)[kMaxChannels][PerChannel])
{
    if (!Bare(j, 4))
        return kCommandRefused;
    Put(j.reply, mnemonic);
    for (int ch = 0; ch < Channels(j); ++ch)
        PutFlagLetters(j.reply, table[ch], PerChannel, "FN");
    return Answered(j);
}

CommandOutcome ReadAlarmVideoOutputs(Job& j) { return ReadFlagGroups(j, "AOM", j.s.AlarmVideoOutput); }
CommandOutcome ReadAlarmSignalOutputs(Job& j) { return ReadFlagGroups(j, "AOS", j.s.AlarmSignalOutput); }

CommandOutcome ReadFlags(Job& j, int length, const char* mnemonic, const int* table, int count)
{
    if (!Bare(j, length))
        return kCommandRefused;
    Put(j.reply, mnemonic);
    PutFlagLetters(j.reply, table, count, "FN");
    return Answered(j);
}

CommandOutcome ReadDateTimeInputs(Job& j) { return ReadFlags(j, 4, "TSI", j.s.DateTimeDisplayInput, Channels(j)); }
CommandOutcome ReadDateTimeOutputs(Job& j) { return ReadFlags(j, 4, "TSO", j.s.DateTimeDisplayOutput, kOutputCount); }
CommandOutcome ReadTitleInputs(Job& j) { return ReadFlags(j, 4, "CTI", j.s.TitleDisplayInput, Channels(j)); }
CommandOutcome ReadTitleOutputs(Job& j) { return ReadFlags(j, 4, "CTO", j.s.TitleDisplayOutput, kOutputCount); }

CommandOutcome ReadLetterTable(Job& j, const char* mnemonic, const char* letters, const int* table)
{
    if (!Bare(j, 5))
        return kCommandRefused;
    Put(j.reply, mnemonic);
    for (int ch = 0; ch < Channels(j); ++ch)
        PutChar(j.reply, letters[table[ch]]);
    return Answered(j);
}

CommandOutcome ReadTitlePositions(Job& j) { return ReadLetterTable(j, "CTPI", "BT", j.s.TitlePosition); }
CommandOutcome ReadTitleSizes(Job& j) { return ReadLetterTable(j, "CTSI", "LMS", j.s.TitleFontSize); }

CommandOutcome ReadFine(Job& j, char which, int value)
{
    if (!Bare(j, 5))
        return kCommandRefused;
    Put(j.reply, "CTA");
    PutChar(j.reply, which);
    PutDecimal(j.reply, value + 1, 2);
    return Answered(j);
}

CommandOutcome ReadTitleFineTop(Job& j) { return ReadFine(j, 'T', j.s.TitleFineTop); }
CommandOutcome ReadTitleFineBottom(Job& j) { return ReadFine(j, 'B', j.s.TitleFineBottom); }

// "RCT" + channel: the title as all 28 codes it holds.
CommandOutcome ReadTitle(Job& j)
{
    int channel;
    if (j.cmd.length != 5 || !Number(j.cmd, 3, 2, 1, Channels(j), channel))
        return kCommandRefused;
    Put(j.reply, "CT");
    PutDecimal(j.reply, channel, 2);
    for (uint16_t code : j.unit.titleCodes[channel - 1])
        PutHex(j.reply, code, 4);
    return Answered(j);
}

CommandOutcome ReadPassword(Job& j)
{
    if (!Bare(j, 3))
        return kCommandRefused;
    Put(j.reply, "PN");
    Put(j.reply, j.s.PanelLock.password, kPasswordLength);
    return Answered(j);
}

// ---- The catalogue ------------------------------------------------------------------------------

struct Entry {
    const char* mnemonic;
    Handler handler;
};

// A command belongs to the longest mnemonic it begins with ("CTI01ON" is
// "CTI", "CT01..." is "CT", "O05I03" is "O").
const Entry kCatalogue[] = {
    // Alarm settings, alarm input and outputs.
    {"AIP", SetAlarmPolarity}, {"ADT", SetAlarmHoldTime}, {"ABOO", SetAlarmBuzzer},
    {"ADO", SetAlarmDisplay}, {"ARO", SetAlarmReturn}, {"AIN", SetAlarmInput},
    {"AOM", SetAlarmVideoOutputs}, {"AOS", SetAlarmSignalOutputs},
    // Routing.
    {"OP", SetPattern}, {"O", SetFreeOutput}, {"OS", SetFreeLayout}, {"SP", SetAutoSwitch},
    {"OE", SetVideoOutputs},
    // Date and time.
    {"DSY", SetYear}, {"DSM", SetMonth}, {"DSD", SetDay}, {"TSH", SetHour}, {"TSM", SetMinute},
    {"TSS", SetSecond}, {"TSA", CorrectClock}, {"RDT", ReadClock}, {"TSDR", SetDateTimeFormat}, {"TSDS", SetDateTimeSize},
    {"TSI", SetDateTimeInputs}, {"TSO", SetDateTimeOutputs},
    // Titles.
    {"CT", SetTitle}, {"CTI", SetTitleInputs}, {"CTO", SetTitleOutputs}, {"CTAT", SetTitleFineTop},
    {"CTAB", SetTitleFineBottom}, {"CTPI", SetTitlePositions}, {"CTSI", SetTitleSizes},
    // Panel lock.
    {"POO", SetButtonLock}, {"PMO", SetMenuLock}, {"PN", SetPassword},
    // Glyphs.
    {"GR", RegisterGlyph}, {"G", InsertGlyph}, {"RFBM", ReadGlyph},
    // Unit network settings.
    {"EIA", SetIpAddress}, {"EGA", SetGatewayAddress}, {"EAA", SetActiveAddress}, {"ESM", SetSubnetMask},
    {"ECT", SetConnectionTry}, {"EKA", SetKeepAlive}, {"ESPN", SetSourcePort},
    {"EDPN", SetDestinationPort}, {"ETR", SetTimeRegister},
    {"REIA", ReadIpAddress}, {"REGA", ReadGatewayAddress}, {"REAA", ReadActiveAddress},
    {"RESM", ReadSubnetMask}, {"RECT", ReadConnectionTry}, {"RETR", ReadTimeRegister},
    {"REDPN", ReadDestinationPort}, {"RESPN", ReadSourcePort}, {"REKA", ReadKeepAlive},
    {"REMA", ReadMacAddress}, {"RVN", ReadIdentification},
    // Routing and live status reads.
    {"ROP", ReadPattern}, {"RSP", ReadAutoSwitch}, {"ROE", ReadVideoOutputs},
    {"ROS", ReadOutputSources}, {"ROCD", ReadOutputChannels}, {"RVL", ReadVideoLoss},
    // Reads of the settings the program only writes.
    {"RAIP", ReadAlarmPolarity}, {"RADT", ReadAlarmHoldTime}, {"RABOO", ReadAlarmBuzzer},
    {"RADO", ReadAlarmDisplay}, {"RARO", ReadAlarmReturn}, {"RAIN", ReadAlarmInputs},
    {"RAOM", ReadAlarmVideoOutputs}, {"RAOS", ReadAlarmSignalOutputs},
    {"RTSDR", ReadDateTimeFormat}, {"RTSDS", ReadDateTimeSize}, {"RTSI", ReadDateTimeInputs},
    {"RTSO", ReadDateTimeOutputs}, {"RCT", ReadTitle}, {"RCTI", ReadTitleInputs},
    {"RCTO", ReadTitleOutputs}, {"RCTPI", ReadTitlePositions}, {"RCTSI", ReadTitleSizes},
    {"RCTAT", ReadTitleFineTop}, {"RCTAB", ReadTitleFineBottom},
    {"RPMO", ReadMenuLock}, {"RPOO", ReadButtonLock}, {"RPN", ReadPassword},
};

Handler FindHandler(const Cmd& c)
{
    Handler best = nullptr;
    size_t bestLength = 0;
    for (const Entry& e : kCatalogue) {
        const size_t length = strlen(e.mnemonic);
        if (length > bestLength && length <= static_cast<size_t>(c.length) &&
            memcmp(c.text, e.mnemonic, length) == 0) {
            best = e.handler;
            bestLength = length;
        }
    }
    return best;
}

} // namespace

void WriteStatusReply(const char* word, UnitReply& reply)
{
    StartReply(reply);
    Put(reply, word);
    EndReply(reply);
}

CommandOutcome InterpretCommand(SimUnit& unit, const char* command, int length, SimLinkKind link,
                                bool applySets, int64_t nowMs, UnitReply& reply)
{
    AdvanceLiveStatus(unit, nowMs);
    StartReply(reply);
    Job job{unit, unit.settings, Cmd{command, length}, link, applySets, nowMs, reply};
    const Handler handler = FindHandler(job.cmd);
    const CommandOutcome outcome = handler ? handler(job) : kCommandRefused;
    switch (outcome) {
    case kCommandSet:
        WriteStatusReply("GO", reply);
        // A new route or dwell time starts its cycle now.
        AdvanceLiveStatus(unit, nowMs);
        break;
    case kCommandRefused:
        WriteStatusReply("E3", reply);
        break;
    case kCommandRead:
        break;
    }
    return outcome;
}
