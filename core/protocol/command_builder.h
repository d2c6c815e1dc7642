// The command catalogue: one builder per command. Each builds its text from
// its arguments and the model it is given into a fixed buffer and hands it to
// the send path. Every builder takes the model first, also those whose text
// needs nothing of it, so that all are called alike. A builder returns true
// when the command went out; one that finds a value out of range sends
// nothing and sets reply status 8 ("Command Error"), except where its comment
// says otherwise. Indices are 0-based; the wire carries them 1-based.
#pragma once

#include "protocol/device_model.h"
#include "protocol/title_codec.h"

// Alarm settings.
// The hold time can be sent: a text of one or two digits whose number is 1..99.
bool HoldTimeSendable(const AlarmSettingsRecord& alarm);
bool SendAlarmPolarity(const DeviceModelData& model);  // AIPM / AIPB
bool SendAlarmHoldTime(const DeviceModelData& model);  // ADTdd from holdTimeText (one or two digits, 1..99)
bool SendAlarmBuzzer(const DeviceModelData& model);    // ABOON / ABOOF
bool SendAlarmDisplay(const DeviceModelData& model);   // ADON / ADOF
bool SendAlarmReturn(const DeviceModelData& model);    // ARON / AROF

// Alarm input and outputs.
bool SendAlarmInput(const DeviceModelData& model, int connector);       // AINnnIcc
bool SendAlarmInputAll(const DeviceModelData& model);                   // AIN + 32 x cc
bool SendAlarmVideoOutput(const DeviceModelData& model, int channel);   // AOMcc + 4 letters
bool SendAlarmVideoOutputAll(const DeviceModelData& model);             // AOM + N x 4 letters
bool SendAlarmSignalOutput(const DeviceModelData& model, int channel);  // AOScc + 6 letters
bool SendAlarmSignalOutputAll(const DeviceModelData& model);            // AOS + N x 6 letters

// Display patterns, auto-switch patterns, video outputs.
bool SendPatternSelect(const DeviceModelData& model, int pattern);                // OPpp, or OPFR for the FREE layout
bool SendPatternCell(const DeviceModelData& model, int pattern, int output);      // OPppoo + source
bool SendPatternRow(const DeviceModelData& model, int pattern);                   // OPpp + 16 sources
bool SendFreeOutput(const DeviceModelData& model, int output);                    // Ooo + source of the FREE layout
bool SendOutputSources(const DeviceModelData& model, int row);                    // OS + 16 sources of a layout (0..32)
bool SendAutoSwitchCell(const DeviceModelData& model, int pattern, int channel);  // SPppccdd
bool SendAutoSwitchPattern(const DeviceModelData& model, int pattern);            // SPpp + N x dd
bool SendVideoOutput(const DeviceModelData& model, int output);                   // OEooON / OEooOF, outputs 2..16 (index 1..15)
bool SendVideoOutputAll(const DeviceModelData& model);                            // OE + 16 letters

// Date and time. The clock values are not kept in the model.
bool SendDateYear(const DeviceModelData& model, int index);         // DSYyy, index 0..99 (2000..2099)
bool SendDateMonth(const DeviceModelData& model, int index);        // DSMmm, index 0..11; out of range: nothing sent, no status
bool SendDateDay(const DeviceModelData& model, int index);          // DSDdd, index 0..30
bool SendTimeHour(const DeviceModelData& model, int hour);          // TSHhh
bool SendTimeMinute(const DeviceModelData& model, int minute);      // TSMmm
bool SendTimeSecond(const DeviceModelData& model, int second);      // TSSss
bool SendTimeCorrection(const DeviceModelData& model);              // TSA (30-second correction)
bool SendDateTimeFormat(const DeviceModelData& model);              // TSDR + "1".."8"
bool SendDateTimeSize(const DeviceModelData& model);                // TSDSN / TSDSS; out of range: nothing sent, no status
bool SendDateTimeInput(const DeviceModelData& model, int channel);  // TSIccON / OF
bool SendDateTimeInputAll(const DeviceModelData& model);            // TSI + N letters
bool SendDateTimeOutput(const DeviceModelData& model, int output);  // TSOooON / OF
bool SendDateTimeOutputAll(const DeviceModelData& model);           // TSO + 16 letters

// Titles. SendTitle reports a refusal to its caller instead of setting a
// status: the title dialog shows its own message.
TitleCheck SendTitle(const DeviceModelData& model, int channel);        // CTcc + 28 JIS codes
bool SendTitleDisplayInput(const DeviceModelData& model, int channel);  // CTIccON / OF
bool SendTitleDisplayInputAll(const DeviceModelData& model);
bool SendTitleDisplayOutput(const DeviceModelData& model, int output);  // CTOooON / OF
bool SendTitleDisplayOutputAll(const DeviceModelData& model);
bool SendTitlePosition(const DeviceModelData& model, int channel);  // CTPIccT / B
bool SendTitlePositionAll(const DeviceModelData& model);
bool SendTitleFontSize(const DeviceModelData& model, int channel);  // CTSIccL / M / S
bool SendTitleFontSizeAll(const DeviceModelData& model);
bool SendTitleFineTop(const DeviceModelData& model);     // CTATnn
bool SendTitleFineBottom(const DeviceModelData& model);  // CTABnn

// Panel lock.
// The password can be sent: its first six characters are all digits.
bool PasswordSendable(const PanelLockRecord& lock);
bool SendButtonLock(const DeviceModelData& model);  // POON / POOF
bool SendMenuLock(const DeviceModelData& model);    // PMON / PMOF
bool SendPassword(const DeviceModelData& model);    // PN + 6 digits

// User-defined glyphs; sizeType 0 = LARGE, 1 = MEDIUM, 2 = SMALL. The two
// reads keep the code they ask for in RequestedGlyphCode and its size letter in
// RequestedGlyphSize: the reply must echo both.
bool SendGlyphReadSlot(DeviceModelData& model, int sizeType, int slot);              // RFBM + size + slot code
bool SendGlyphReadSample(DeviceModelData& model, int sizeType, const char* sample);  // RFBM + size + JIS code of the sample
bool SendGlyphRegister(const DeviceModelData& model, int sizeType, int slot);        // GR + size + nnn + bitmap
// GnnnCccItt
bool SendGlyphInsert(const DeviceModelData& model, int sizeType, int slot, int channel, int position);

// Unit network settings: written straight to the serial link.
// A port text goes out as exactly five digits: a shorter number is padded
// with leading zeros, anything that is not a port number 1..65535 is refused.
enum UnitPortCheck { kUnitPortGood, kUnitPortEmpty, kUnitPortNotDigits, kUnitPortOutOfRange };
UnitPortCheck CheckUnitPort(const char* text, int& port);
enum UnitAddressKind { kUnitIpAddress, kUnitGatewayAddress, kUnitActiveAddress, kUnitSubnetMask };
bool SendUnitAddress(const DeviceModelData& model, UnitAddressKind kind);  // EIA / EGA / EAA / ESM + ddd.ddd.ddd.ddd
bool SendUnitConnectionTry(const DeviceModelData& model);                  // ECTON / ECTOF
bool SendUnitKeepAlive(const DeviceModelData& model);                      // EKAON / EKAOF
bool SendUnitSourcePort(const DeviceModelData& model);                     // ESPN + 5 digits
bool SendUnitDestinationPort(const DeviceModelData& model);                // EDPN + 5 digits
bool SendUnitTimeRegister(const DeviceModelData& model);                   // ETR + "1".."8"
constexpr int kUnitNetworkReadSteps = 11;
bool SendUnitNetworkRead(const DeviceModelData& model, int step);  // step 1..11: REIA ... REMA, RVN

// Reads.
bool SendReadCurrentPattern(const DeviceModelData& model);           // ROP
bool SendReadPattern(const DeviceModelData& model, int pattern);     // ROPpp
bool SendReadAutoSwitch(const DeviceModelData& model, int pattern);  // RSPpp
bool SendReadVideoOutputs(const DeviceModelData& model);             // ROE
bool SendReadOutputSources(const DeviceModelData& model);            // ROS
bool SendReadOutputChannels(const DeviceModelData& model);           // ROCD
bool SendReadVideoLoss(const DeviceModelData& model);                // RVL

// The timed sequences, one command per step (1-based).
constexpr int kReadAllSteps = 66;
constexpr int kSetAllSteps = 67;
bool SendReadAllStep(const DeviceModelData& model, int step);        // ROP; ROP01..32; RSP01..32; ROE
bool SendSetAllStep(const DeviceModelData& model, int step);         // OP select; OS of the current pattern; OP01..32; SP01..32; OE
bool SendStatusPollStep(const DeviceModelData& model, int counter);  // counter mod 3: ROS, ROCD, RVL
