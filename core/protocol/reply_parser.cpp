#include "protocol/reply_parser.h"

#include <cstring>

#include "link/link_state.h"
#include "link/text_conversions.h"
#include "link/transaction.h"
#include "protocol/command_builder.h"
#include "protocol/device_model.h"
#include "protocol/glyph.h"
#include "protocol/title_codec.h"

void (*OutputChannelsDrawHook)(const IoStatusRecord& io) = nullptr;
void (*AutoSwitchMarksDrawHook)(const IoStatusRecord& io) = nullptr;
void (*VideoLossDrawHook)(const IoStatusRecord& io) = nullptr;
void (*GlyphRepaintHook)() = nullptr;

namespace {

// One reply line with its length; handlers index it from 0.
struct Line {
    const char* text;
    int length;
};

// A data reply's handler checks the line and stores it into the model.
using Handler = bool (*)(DeviceModelData& model, const Line& line);

void CallHook(void (*hook)())
{
    if (hook)
        hook();
}

void CallHook(void (*hook)(const IoStatusRecord& io), const IoStatusRecord& io)
{
    if (hook)
        hook(io);
}

bool CrlfAt(const Line& line, int k)
{
    return k + 1 < line.length && line.text[k] == '\r' && line.text[k + 1] == '\n';
}

// A two-digit decimal field in low..high.
bool NumberAt(const Line& line, int position, int digits, int low, int high, int& value)
{
    if (!IsDecimalDigits(line.text + position, digits))
        return false;
    value = ParseDecimal(line.text + position, digits);
    return value >= low && value <= high;
}

// Each of `count` characters from `position` is one of `allowed`.
bool LettersAre(const Line& line, int position, int count, const char* allowed)
{
    for (int i = 0; i < count; ++i) {
        const char c = line.text[position + i];
        if (c == '\0' || !strchr(allowed, c))
            return false;
    }
    return true;
}

// Index of `c` in `letters` (which it must hold).
int LetterIndex(char c, const char* letters)
{
    return static_cast<int>(strchr(letters, c) - letters);
}

// Fills `table` from `count` letters, each mapped to its index in `letters`.
void StoreLetters(const Line& line, int position, int count, const char* letters, int* table)
{
    for (int i = 0; i < count; ++i)
        table[i] = LetterIndex(line.text[position + i], letters);
}

// A whole-table flag reply: `count` letters "F"/"N" from `position`, CR LF after them.
bool FlagTable(const Line& line, int position, int count, int* table)
{
    if (!CrlfAt(line, position + count) || !LettersAre(line, position, count, "FN"))
        return false;
    StoreLetters(line, position, count, "FN", table);
    return true;
}

// A one-letter setting at `position` with CR LF right after it; letters[i] gives value i.
bool OneLetter(const Line& line, int position, const char* letters, int& field)
{
    if (!CrlfAt(line, position + 1) || !LettersAre(line, position, 1, letters))
        return false;
    field = LetterIndex(line.text[position], letters);
    return true;
}

bool OnOffWord(const Line& line, int& field)
{
    if (!CrlfAt(line, 5))
        return false;
    if (memcmp(line.text + 3, "OF", 2) == 0)
        field = 0;
    else if (memcmp(line.text + 3, "ON", 2) == 0)
        field = 1;
    else
        return false;
    return true;
}

// Copies `count` characters from `position` into a text field and terminates it.
void StoreText(const Line& line, int position, int count, char* field)
{
    memcpy(field, line.text + position, static_cast<size_t>(count));
    field[count] = '\0';
}

// ---- Handlers ----------------------------------------------------------------

bool HandleOp(DeviceModelData& model, const Line& line)
{
    if (CrlfAt(line, 4)) {
        int pattern;
        if (line.text[2] == 'F' && line.text[3] == 'R')
            pattern = kFreePattern;
        else if (NumberAt(line, 2, 2, 1, kPatternCount, pattern))
            pattern -= 1;
        else
            return false;
        model.CurrentDisplayPattern = pattern;
        return true;
    }
    int pattern;
    if (!CrlfAt(line, 52) || !NumberAt(line, 2, 2, 1, kPatternCount, pattern))
        return false;
    int row[kOutputCount];
    for (int j = 0; j < kOutputCount; ++j) {
        row[j] = ParseDisplaySource(line.text + 4 + 3 * j, model.ChannelCount);
        if (row[j] < 0)
            return false;
    }
    memcpy(model.DisplayPatternTable[pattern - 1], row, sizeof row);
    return true;
}

bool HandleSp(DeviceModelData& model, const Line& line)
{
    const int n = model.ChannelCount;
    int pattern;
    if (!CrlfAt(line, 4 + 2 * n) || !NumberAt(line, 2, 2, 1, kPatternCount, pattern))
        return false;
    if (!IsDecimalDigits(line.text + 4, 2 * n))
        return false;
    for (int c = 0; c < n; ++c)
        model.AutoSwitchPatternTable[pattern - 1][c] = ParseDecimal(line.text + 4 + 2 * c, 2);
    return true;
}

bool HandleAip(DeviceModelData& model, const Line& line)
{
    return OneLetter(line, 3, "MB", model.AlarmSettings.inputPolarity);
}

bool HandleAdt(DeviceModelData& model, const Line& line)
{
    int hold;
    if (!CrlfAt(line, 5) || !NumberAt(line, 3, 2, 0, 99, hold))
        return false;
    model.AlarmSettings.holdTime = hold;
    SyncHoldTimeText(model.AlarmSettings);
    return true;
}

bool HandleAboo(DeviceModelData& model, const Line& line)
{
    return OneLetter(line, 4, "FN", model.AlarmSettings.buzzer);
}

bool HandleAdo(DeviceModelData& model, const Line& line)
{
    return OneLetter(line, 3, "FN", model.AlarmSettings.alarmDisplay);
}

bool HandleAro(DeviceModelData& model, const Line& line)
{
    return OneLetter(line, 3, "FN", model.AlarmSettings.autoReturn);
}

bool HandleAin(DeviceModelData& model, const Line& line)
{
    if (!CrlfAt(line, 3 + 2 * kAlarmInputCount))
        return false;
    int channels[kAlarmInputCount];
    for (int i = 0; i < kAlarmInputCount; ++i) {
        if (!NumberAt(line, 3 + 2 * i, 2, 1, model.ChannelCount, channels[i]))
            return false;
        channels[i] -= 1;
    }
    memcpy(model.AlarmInputChannel, channels, sizeof channels);
    return true;
}

// Per-channel groups of `perChannel` letters "N"/"F".
template <int PerChannel>
bool AlarmOutputTable(const Line& line, int channelCount, int (&table)[kMaxChannels][PerChannel])
{
    const int count = channelCount * PerChannel;
    if (!CrlfAt(line, 3 + count) || !LettersAre(line, 3, count, "NF"))
        return false;
    for (int c = 0; c < channelCount; ++c)
        for (int k = 0; k < PerChannel; ++k)
            table[c][k] = line.text[3 + c * PerChannel + k] == 'N' ? 1 : 0;
    return true;
}

bool HandleAom(DeviceModelData& model, const Line& line)
{
    return AlarmOutputTable(line, model.ChannelCount, model.AlarmVideoOutput);
}

bool HandleAos(DeviceModelData& model, const Line& line)
{
    return AlarmOutputTable(line, model.ChannelCount, model.AlarmSignalOutput);
}

bool HandleTsdr(DeviceModelData& model, const Line& line)
{
    return OneLetter(line, 4, "12345678", model.DateTimeFormat);
}

bool HandleTsds(DeviceModelData& model, const Line& line)
{
    return OneLetter(line, 4, "NS", model.DateTimeSize);
}

bool HandleTsi(DeviceModelData& model, const Line& line)
{
    return FlagTable(line, 3, model.ChannelCount, model.DateTimeDisplayInput);
}

bool HandleTso(DeviceModelData& model, const Line& line)
{
    return FlagTable(line, 3, kOutputCount, model.DateTimeDisplayOutput);
}

bool HandleCti(DeviceModelData& model, const Line& line)
{
    return FlagTable(line, 3, model.ChannelCount, model.TitleDisplayInput);
}

bool HandleCto(DeviceModelData& model, const Line& line)
{
    return FlagTable(line, 3, kOutputCount, model.TitleDisplayOutput);
}

bool HandleCtpi(DeviceModelData& model, const Line& line)
{
    const int n = model.ChannelCount;
    if (!CrlfAt(line, 4 + n) || !LettersAre(line, 4, n, "BT"))
        return false;
    StoreLetters(line, 4, n, "BT", model.TitlePosition);
    return true;
}

bool HandleCtsi(DeviceModelData& model, const Line& line)
{
    const int n = model.ChannelCount;
    if (!CrlfAt(line, 4 + n) || !LettersAre(line, 4, n, "LMS"))
        return false;
    StoreLetters(line, 4, n, "LMS", model.TitleFontSize);
    return true;
}

bool HandleCta(DeviceModelData& model, const Line& line)
{
    int step;
    if (!CrlfAt(line, 6) || !LettersAre(line, 3, 1, "TB") || !NumberAt(line, 4, 2, 1, kFineSteps, step))
        return false;
    if (line.text[3] == 'T')
        model.TitleFineTop = step - 1;
    else
        model.TitleFineBottom = step - 1;
    return true;
}

bool HandleCt(DeviceModelData& model, const Line& line)
{
    int channel;
    if (!NumberAt(line, 2, 2, 1, model.ChannelCount, channel))
        return false;
    int count;
    if (CrlfAt(line, 116))
        count = 28;
    else if (CrlfAt(line, 88))
        count = 21;
    else if (CrlfAt(line, 60))
        count = 14;
    else
        return false;
    if (!IsHexDigits(line.text + 4, 4 * count))
        return false;
    DecodeTitle(line.text + 4, count, model.TitleText[channel - 1]);
    return true;
}

bool HandlePmo(DeviceModelData& model, const Line& line)
{
    return OneLetter(line, 3, "FN", model.PanelLock.menuLock);
}

bool HandlePoo(DeviceModelData& model, const Line& line)
{
    return OneLetter(line, 3, "FN", model.PanelLock.buttonLock);
}

bool HandlePn(DeviceModelData& model, const Line& line)
{
    if (!CrlfAt(line, 8) || !IsDecimalDigits(line.text + 2, kPasswordLength))
        return false;
    StoreText(line, 2, kPasswordLength, model.PanelLock.password);
    return true;
}

bool HandleOe(DeviceModelData& model, const Line& line)
{
    return FlagTable(line, 2, kOutputCount, model.VideoOutputEnable);
}

bool HandleFbm(DeviceModelData& model, const Line& line)
{
    int bytes;
    if (line.text[3] == 'S' && CrlfAt(line, 152))
        bytes = 72;
    else if (line.text[3] == 'M' && CrlfAt(line, 264))
        bytes = 128;
    else if (line.text[3] == 'L' && CrlfAt(line, 584))
        bytes = 288;
    else
        return false;
    // Only the glyph asked for: a reply of another size would fill the bitmap
    // with another size's layout.
    if (model.RequestedGlyphCode[0] == '\0' || line.text[3] != model.RequestedGlyphSize ||
        memcmp(line.text + 4, model.RequestedGlyphCode, 4) != 0)
        return false;
    if (!IsHexDigits(line.text + 8, 2 * bytes))
        return false;
    for (int i = 0; i < bytes; ++i)
        model.GlyphBitmap[i] = static_cast<unsigned char>(ParseHex(line.text + 8 + 2 * i, 2));
    model.RequestedGlyphCode[0] = '\0';   // answered: a second copy answers nothing
    CallHook(GlyphRepaintHook);
    return true;
}

bool HandleOcd(DeviceModelData& model, const Line& line)
{
    if (!CrlfAt(line, 35))
        return false;
    int channels[kOutputCount];
    for (int j = 0; j < kOutputCount; ++j) {
        if (!NumberAt(line, 3 + 2 * j, 2, 1, model.ChannelCount, channels[j]))
            return false;
        channels[j] -= 1;
    }
    IoStatusRecord& io = model.IoStatus;
    memcpy(io.previousOutputChannel, io.outputChannel, sizeof io.outputChannel);
    memcpy(io.outputChannel, channels, sizeof channels);
    CallHook(OutputChannelsDrawHook, io);
    return true;
}

bool HandleOs(DeviceModelData& model, const Line& line)
{
    if (!CrlfAt(line, 50))
        return false;
    int sources[kOutputCount];
    for (int j = 0; j < kOutputCount; ++j) {
        const int code = ParseDisplaySource(line.text + 2 + 3 * j, model.ChannelCount);
        if (code < 0)
            return false;
        sources[j] = code < model.ChannelCount ? kOutputSourceInput : code - model.ChannelCount;
    }
    IoStatusRecord& io = model.IoStatus;
    memcpy(io.previousOutputSource, io.outputSource, sizeof io.outputSource);
    memcpy(io.outputSource, sources, sizeof sources);
    CallHook(AutoSwitchMarksDrawHook, io);
    return true;
}

bool HandleVl(DeviceModelData& model, const Line& line)
{
    const int n = model.ChannelCount;
    if (!CrlfAt(line, 2 + n) || !LettersAre(line, 2, n, "FN"))
        return false;
    IoStatusRecord& io = model.IoStatus;
    memcpy(io.previousVideoLoss, io.videoLoss, sizeof io.videoLoss);
    StoreLetters(line, 2, n, "FN", io.videoLoss);
    CallHook(VideoLossDrawHook, io);
    return true;
}

bool AddressReply(const Line& line, int (&field)[4])
{
    if (!CrlfAt(line, 18))
        return false;
    int octets[4];
    for (int i = 0; i < 4; ++i)
        if (!NumberAt(line, 3 + 4 * i, 3, 0, 255, octets[i]))
            return false;
    memcpy(field, octets, sizeof octets);
    return true;
}

bool HandleEaa(DeviceModelData& model, const Line& line)
{
    return AddressReply(line, model.UnitNetwork.activeAddress);
}

bool HandleEga(DeviceModelData& model, const Line& line)
{
    return AddressReply(line, model.UnitNetwork.gatewayAddress);
}

bool HandleEia(DeviceModelData& model, const Line& line)
{
    return AddressReply(line, model.UnitNetwork.ipAddress);
}

bool HandleEsm(DeviceModelData& model, const Line& line)
{
    return AddressReply(line, model.UnitNetwork.subnetMask);
}

bool HandleEct(DeviceModelData& model, const Line& line)
{
    return OnOffWord(line, model.UnitNetwork.connectionTry);
}

bool HandleEka(DeviceModelData& model, const Line& line)
{
    return OnOffWord(line, model.UnitNetwork.keepAlive);
}

// "hh-hh-hh-hh-hh-hh": six hexadecimal pairs joined by "-".
bool IsMacAddress(const char* text)
{
    for (int pair = 0; pair < 6; ++pair) {
        if (!IsHexDigits(text + 3 * pair, 2) || (pair < 5 && text[3 * pair + 2] != '-'))
            return false;
    }
    return true;
}

// Four characters as the unit sends them. Units report "1.00" as well as
// "1.0A" or "V1.1", so any printable ASCII is kept; a control character or a
// byte of another code page is not a version and is refused.
bool IsFirmwareVersion(const char* text)
{
    for (int i = 0; i < 4; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

bool HandleEma(DeviceModelData& model, const Line& line)
{
    if (!CrlfAt(line, 20) || !IsMacAddress(line.text + 3))
        return false;
    StoreText(line, 3, 17, model.UnitNetwork.macAddressText);
    return true;
}

// A port reply: five digits naming 1..65535.
bool PortAt(const Line& line, int position)
{
    char text[6];
    memcpy(text, line.text + position, 5);
    text[5] = '\0';
    int port = 0;
    return CheckUnitPort(text, port) == kUnitPortGood;
}

bool HandleEspn(DeviceModelData& model, const Line& line)
{
    if (!CrlfAt(line, 9) || !PortAt(line, 4))
        return false;
    StoreText(line, 4, 5, model.UnitNetwork.sourcePortText);
    return true;
}

bool HandleEdpn(DeviceModelData& model, const Line& line)
{
    if (!CrlfAt(line, 9) || !PortAt(line, 4))
        return false;
    StoreText(line, 4, 5, model.UnitNetwork.destinationPortText);
    return true;
}

bool HandleEtr(DeviceModelData& model, const Line& line)
{
    return OneLetter(line, 3, "12345678", model.UnitNetwork.timeRegister);
}

bool HandleIdentification(DeviceModelData& model, const Line& line)
{
    if (!CrlfAt(line, 18) || !IsFirmwareVersion(line.text + 14))
        return false;
    StoreText(line, 14, 4, model.UnitNetwork.firmwareVersionText);
    return true;
}

struct Prefix {
    const char* text;
    int length;
    Handler handler;
    bool serialOnly;   // not recognised on the dialog side
};

// The order matters: longer prefixes come before the shorter ones they begin
// with ("CTI" .. "CTA" before "CT", "OCD" before "OS").
const Prefix kPrefixes[] = {
    {"OP", 2, HandleOp, false},      {"SP", 2, HandleSp, false},
    {"AIP", 3, HandleAip, false},    {"ADT", 3, HandleAdt, false},
    {"ABOO", 4, HandleAboo, false},  {"ADO", 3, HandleAdo, false},
    {"ARO", 3, HandleAro, false},    {"AIN", 3, HandleAin, false},
    {"AOM", 3, HandleAom, false},    {"AOS", 3, HandleAos, false},
    {"TSDR", 4, HandleTsdr, false},  {"TSDS", 4, HandleTsds, false},
    {"TSI", 3, HandleTsi, false},    {"TSO", 3, HandleTso, false},
    {"CTI", 3, HandleCti, false},    {"CTO", 3, HandleCto, false},
    {"CTPI", 4, HandleCtpi, false},  {"CTSI", 4, HandleCtsi, false},
    {"CTA", 3, HandleCta, false},    {"CT", 2, HandleCt, false},
    {"PMO", 3, HandlePmo, false},    {"POO", 3, HandlePoo, false},
    {"PN", 2, HandlePn, false},      {"OE", 2, HandleOe, false},
    {"FBM", 3, HandleFbm, false},    {"OCD", 3, HandleOcd, false},
    {"OS", 2, HandleOs, false},      {"VL", 2, HandleVl, false},
    {"EAA", 3, HandleEaa, false},    {"EGA", 3, HandleEga, false},
    {"EIA", 3, HandleEia, false},    {"ECT", 3, HandleEct, false},
    {"EKA", 3, HandleEka, false},    {"EMA", 3, HandleEma, true},
    {"ESPN", 4, HandleEspn, false},  {"EDPN", 4, HandleEdpn, false},
    {"ESM", 3, HandleEsm, false},    {"ETR", 3, HandleEtr, false},
};

bool StartsWith(const Line& line, const char* prefix, int length)
{
    return line.length >= length && memcmp(line.text, prefix, static_cast<size_t>(length)) == 0;
}

// Finds the handler of a data reply; nullptr when no prefix matches.
Handler FindHandler(const Line& line, bool dialogSide)
{
    for (const Prefix& p : kPrefixes) {
        if (dialogSide && p.serialOnly)
            continue;
        if (StartsWith(line, p.text, p.length))
            return p.handler;
    }
    if (dialogSide ? StartsWith(line, "VN", 2) : StartsWith(line, "KVR-2840E", 9))
        return HandleIdentification;
    return nullptr;
}

int HandlerStatus(DeviceModelData& model, Handler handler, const Line& line)
{
    return handler(model, line) ? kReplyGood : kReplyCommandError;
}

// The status words and their reply status; 0 when the line is none of them.
int StatusWordOf(const Line& line)
{
    static const char* const kWords[] = {
        "MENU\r\n", "ALARM\r\n", "LOCK\r\n", "GN\r\n", "E0\r\n", "E1\r\n", "E2\r\n", "E3\r\n",
    };
    for (int i = 0; i < 8; ++i) {
        const size_t length = strlen(kWords[i]);
        if (static_cast<size_t>(line.length) == length && memcmp(line.text, kWords[i], length) == 0)
            return i + 1;
    }
    return 0;
}

void CompleteIfGood(TransactionStateRecord& transaction)
{
    if (transaction.replyStatus == kReplyGood && transaction.busy)
        SetCompletionFromPhase(transaction);
}

// The Windows program's dialog-side line.
DialogReplyLine ProgramDialogLine;

void StartDialogLine(DialogReplyLine& pending)
{
    memset(pending.text, 0, sizeof pending.text);
    pending.length = 0;
    pending.overlong = false;
}

// Appends received bytes to the line; what does not fit is dropped and the
// line is refused when it ends.
void AppendToDialogLine(DialogReplyLine& pending, const char* bytes, int count)
{
    const int room = kMaxReplyLineLength - pending.length;
    const int take = count < room ? count : room;
    memcpy(pending.text + pending.length, bytes, static_cast<size_t>(take));
    pending.length += take;
    pending.text[pending.length] = '\0';
    if (take < count)
        pending.overlong = true;
}

// The reply status of the complete line in `pending`; a data reply that
// passes its checks is stored.
int DialogLineStatus(DeviceModelData& model, const DialogReplyLine& pending)
{
    const Line line{pending.text, pending.length};
    if (pending.overlong)
        return kReplyCommandError;
    if (StartsWith(line, "GO", 2))
        return kReplyGood;
    if (Handler handler = FindHandler(line, true))
        return HandlerStatus(model, handler, line);
    // Text the program does not know counts as success on this side.
    return StatusWordOf(line);
}

// What one serial line comes to: its reply status, and whether it completes
// the outstanding command. A data reply that passes its checks is stored.
int SerialLineStatus(DeviceModelData& model, int rs485Address, bool outstanding, const char* text, bool& completes)
{
    Line line{text, static_cast<int>(strnlen(text, kReplyLineBytes))};
    completes = false;
    if (line.length > kMaxReplyLineLength)
        return kReplyCommandError;   // more than the line buffers hold: nothing in it can be trusted
    if (rs485Address != kNoAddressPrefix) {
        char address[2];
        FormatTwoDigits(rs485Address, address);
        if (line.length >= 2 && line.text[0] == address[0] && line.text[1] == address[1]) {
            line.text += 2;
            line.length -= 2;
        }
    }
    if (const int word = StatusWordOf(line))
        return word;
    if (line.length == 4 && memcmp(line.text, "GO\r\n", 4) == 0 && outstanding) {
        completes = true;
        return kReplyGood;
    }
    Handler handler = FindHandler(line, false);
    const int status = handler ? HandlerStatus(model, handler, line) : kReplyCommandError;
    completes = status == kReplyGood && outstanding;
    return status;
}

// Runs on the serial receive thread while the user-interface thread's timers
// read the same transaction. The reply is published so that a reader never
// sees it half-written: the reply-wait counter is taken first, which decides
// between this reply and the time-out (whichever takes it ends the command),
// then the status and completion are stored, and the busy flag is cleared
// last. A reader that sees busy clear sees everything before it.
void PublishSerialReply(TransactionStateRecord& transaction, bool outstanding, int status, bool completes)
{
    if (outstanding && transaction.replyWait.exchange(0) == 0)
        return;   // the time-out ended this command already, and reports it
    // A reply after the time-out stopped a sequence answers no command: it
    // must not clear the stop, or the sequence would send its next step to a
    // unit already reported as "No Connect".
    if (!outstanding && transaction.replyStatus == kReplyStopSequence)
        return;
    transaction.replyStatus = status;
    if (completes)
        SetCompletionFromPhase(transaction);
    transaction.replyWait = 0;
    transaction.busy.store(0, std::memory_order_release);
}

} // namespace

void ParseSerialReply(DeviceModelData& model, TransactionStateRecord& transaction, int rs485Address,
                      const char* text)
{
    const bool outstanding = transaction.busy != 0;
    bool completes = false;
    const int status = SerialLineStatus(model, rs485Address, outstanding, text, completes);
    PublishSerialReply(transaction, outstanding, status, completes);
}

int ProgramReplyAddress()
{
    return ControlMode == kControlRs485 ? static_cast<int>(SlaveAddress) : kNoAddressPrefix;
}

void ParseSerialReply(DeviceModelData& model, const char* text)
{
    ParseSerialReply(model, TransactionState, ProgramReplyAddress(), text);
}

void RejectSerialReply(TransactionStateRecord& transaction)
{
    PublishSerialReply(transaction, transaction.busy != 0, kReplyCommandError, false);
}

void RejectSerialReply()
{
    RejectSerialReply(TransactionState);
}

void ResetDialogReplyLine(DialogReplyLine& pending)
{
    StartDialogLine(pending);
    pending.pending = false;
    pending.outcome = kReplyGood;
}

void ResetDialogReplyLine()
{
    ResetDialogReplyLine(ProgramDialogLine);
}

DialogReplyResult ParseDialogReply(DeviceModelData& model, TransactionStateRecord& transaction,
                                   DialogReplyLine& pending, const char* received, int count)
{
    if (count <= 0) {
        // The connection closed before a reply came: the command failed.
        ResetDialogReplyLine(pending);
        transaction.replyWait = 0;
        transaction.busy = 0;
        transaction.sendFailed = 1;
        return kDialogReplyClosed;
    }

    // Every line feed ends a line, and every line is handled in order: a
    // unit's second line (an error word after data, or a late reply in front
    // of the awaited one) is never dropped.
    for (int at = 0; at < count;) {
        const void* feed = memchr(received + at, '\n', static_cast<size_t>(count - at));
        const int end = feed ? static_cast<int>(static_cast<const char*>(feed) - received) + 1 : count;
        AppendToDialogLine(pending, received + at, end - at);
        at = end;
        if (!feed) {
            // The rest of the line is still on its way; the command stays
            // outstanding, so nothing else is sent meanwhile and a rest that
            // never comes ends as a time-out.
            pending.pending = true;
            return kDialogReplyPartial;
        }
        const int status = DialogLineStatus(model, pending);
        if (pending.outcome == kReplyGood)
            pending.outcome = status;
        StartDialogLine(pending);
    }
    pending.pending = false;

    // The receive ended with a line feed: the command has its answer. It is
    // a success only when every line was good; otherwise its first error
    // stands, so that an error word after a data reply is reported and a
    // running sequence stops.
    transaction.replyWait = 0;
    transaction.sendFailed = 0;
    transaction.replyStatus = pending.outcome;
    CompleteIfGood(transaction);
    ResetDialogReplyLine(pending);
    transaction.busy = 0;
    return kDialogReplyDone;
}

DialogReplyResult ParseDialogReply(DeviceModelData& model, const char* received, int count)
{
    return ParseDialogReply(model, TransactionState, ProgramDialogLine, received, count);
}
