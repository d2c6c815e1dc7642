// The program's mirror of every setting of the unit: fixed tables that live
// for the whole run. Dialogs edit it and build commands from it, the reply
// parser writes what the unit reports, the settings data file saves and
// restores it. Numbers on the wire are 1-based; the model holds them 0-based.
#pragma once

constexpr int kMaxChannels = 64;        // input channels every per-channel table holds
constexpr int kOutputCount = 16;        // video outputs
constexpr int kPatternCount = 32;       // display patterns and auto-switch patterns
constexpr int kFreePattern = 32;        // the "FREE" display layout, stored after the 32 patterns
constexpr int kDisplayRows = kPatternCount + 1;
constexpr int kAlarmInputCount = 32;
constexpr int kAlarmVideoOutputs = 4;
constexpr int kAlarmSignalOutputs = 6;
constexpr int kTitleSlotBytes = 58;     // 28 double-byte characters, NUL and one spare byte
constexpr int kTitleMaxBytes = 56;
constexpr int kTitleCharacters = 28;
constexpr int kPasswordLength = 6;
constexpr int kGlyphBitmapBytes = 288;
constexpr int kMaxDwellTime = 99;
constexpr int kFineSteps = 16;
constexpr int kDateTimeFormats = 8;
constexpr int kTimeRegisterItems = 8;

struct AlarmSettingsRecord {
    int inputPolarity;     // 0 = Make, 1 = Break
    int holdTime;          // 1..99
    char holdTimeText[3];  // the hold time as typed, at most 2 characters
    int buzzer;
    int alarmDisplay;
    int autoReturn;
};

struct PanelLockRecord {
    int buttonLock;
    int menuLock;
    char password[kPasswordLength + 1];
};

struct UnitNetworkRecord {
    int subnetMask[4];
    int ipAddress[4];
    int gatewayAddress[4];
    int activeAddress[4];
    int connectionTry;
    int keepAlive;
    int timeRegister;             // item index 0..7, sent as the digit index + 1
    char sourcePortText[6];       // also the PC's TCP server port
    char destinationPortText[6];  // also the port the PC connects to as client
    char macAddressText[18];      // "00-00-00-00-00-00" form, as reported
    char firmwareVersionText[5];  // as reported
};

struct IoStatusRecord {
    int outputChannel[kOutputCount];           // 0-based input on each output
    int previousOutputChannel[kOutputCount];
    int outputSource[kOutputCount];            // 255 = an input, else the 0-based auto-switch pattern
    int previousOutputSource[kOutputCount];
    int videoLoss[kMaxChannels];               // 1 = video present ("N"), 0 = video lost ("F")
    int previousVideoLoss[kMaxChannels];
};

constexpr int kOutputSourceInput = 255;

struct DeviceModelData {
    int ModelIndex;
    int ChannelCount;

    int CurrentDisplayPattern;                           // 0..31, or kFreePattern
    int DisplayPatternTable[kDisplayRows][kOutputCount]; // display source codes
    int AutoSwitchPatternTable[kPatternCount][kMaxChannels];
    int VideoOutputEnable[kOutputCount];

    AlarmSettingsRecord AlarmSettings;
    int AlarmInputChannel[kAlarmInputCount];
    int AlarmVideoOutput[kMaxChannels][kAlarmVideoOutputs];
    int AlarmSignalOutput[kMaxChannels][kAlarmSignalOutputs];

    int DateTimeFormat;
    int DateTimeSize;
    int DateTimeDisplayInput[kMaxChannels];
    int DateTimeDisplayOutput[kOutputCount];

    char TitleText[kMaxChannels][kTitleSlotBytes];
    int TitleDisplayInput[kMaxChannels];
    int TitleDisplayOutput[kOutputCount];
    int TitlePosition[kMaxChannels];   // 1 = top, 0 = bottom
    int TitleFontSize[kMaxChannels];   // 0 = LARGE, 1 = MEDIUM, 2 = SMALL
    int TitleFineTop;                  // 0..15
    int TitleFineBottom;

    PanelLockRecord PanelLock;
    UnitNetworkRecord UnitNetwork;

    IoStatusRecord IoStatus;
    unsigned char GlyphBitmap[kGlyphBitmapBytes];
    char RequestedGlyphCode[5];
    char RequestedGlyphSize;   // the size letter of that request
};

// The one model of the program.
extern DeviceModelData DeviceModel;

// Every field to its start value (program start).
void ResetModelToStartValues(DeviceModelData& model);
// A new settings set (File New): the settings-file parts back to their
// defaults; the current pattern, the unit network record, the live status and
// the glyph work buffers stay as they are.
void ResetModelForNewSettings(DeviceModelData& model);
// The default title of a 0-based channel, as Shift-JIS bytes with NUL.
void WriteDefaultTitle(int channel, char* slot);
// holdTimeText from holdTime (every writer of one keeps the other equal).
void SyncHoldTimeText(AlarmSettingsRecord& alarm);

// Display source codes: v < ChannelCount is input v + 1 ("I" + 2 digits),
// ChannelCount .. ChannelCount + 31 is auto-switch pattern v - ChannelCount + 1
// ("S" + 2 digits).
bool IsValidDisplaySource(int code, int channelCount);
// Writes the three wire characters (no terminator). Returns false for a code
// that is no display source.
bool FormatDisplaySource(int code, int channelCount, char* text);
// Reads the three wire characters; returns -1 for anything that is no valid source.
int ParseDisplaySource(const char* text, int channelCount);
// "IN05" / "SP02" as shown in the dialogs (four characters and NUL).
void DisplaySourceLabel(int code, int channelCount, char* label);
