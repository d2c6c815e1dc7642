// The command catalogue: one builder per command. Each builds its text from
// its arguments and the device model into a fixed buffer and hands it to the
// send path. A builder returns true when the command went out; one that finds
// a value out of range sends nothing and sets reply status 8 ("Command
// Error"), except where its comment says otherwise. Indices are 0-based; the
// wire carries them 1-based.
#pragma once

#include "protocol/title_codec.h"

// Alarm settings.
bool SendAlarmPolarity();      // AIPM / AIPB
bool SendAlarmHoldTime();      // ADTdd from holdTimeText (one or two digits, 1..99)
bool SendAlarmBuzzer();        // ABOON / ABOOF
bool SendAlarmDisplay();       // ADON / ADOF
bool SendAlarmReturn();        // ARON / AROF

// Alarm input and outputs.
bool SendAlarmInput(int connector);      // AINnnIcc
bool SendAlarmInputAll();                // AIN + 32 x cc
bool SendAlarmVideoOutput(int channel);  // AOMcc + 4 letters
bool SendAlarmVideoOutputAll();          // AOM + N x 4 letters
bool SendAlarmSignalOutput(int channel); // AOScc + 6 letters
bool SendAlarmSignalOutputAll();         // AOS + N x 6 letters

// Display patterns, auto-switch patterns, video outputs.
bool SendPatternSelect(int pattern);           // OPpp, or OPFR for the FREE layout
bool SendPatternCell(int pattern, int output); // OPppoo + source
bool SendPatternRow(int pattern);              // OPpp + 16 sources
bool SendFreeOutput(int output);               // Ooo + source of the FREE layout
bool SendOutputSources(int row);               // OS + 16 sources of a layout (0..32)
bool SendAutoSwitchCell(int pattern, int channel); // SPppccdd
bool SendAutoSwitchPattern(int pattern);       // SPpp + N x dd
bool SendVideoOutput(int output);              // OEooON / OEooOF, outputs 2..16 (index 1..15)
bool SendVideoOutputAll();                     // OE + 16 letters

// Date and time. The clock values are not kept in the model.
bool SendDateYear(int index);     // DSYyy, index 0..99 (2000..2099)
bool SendDateMonth(int index);    // DSMmm, index 0..11; out of range: nothing sent, no status
bool SendDateDay(int index);      // DSDdd, index 0..30
bool SendTimeHour(int hour);      // TSHhh
bool SendTimeMinute(int minute);  // TSMmm
bool SendTimeSecond(int second);  // TSSss
bool SendTimeCorrection();        // TSA (30-second correction)
bool SendDateTimeFormat();        // TSDR + "1".."8"
bool SendDateTimeSize();          // TSDSN / TSDSS; out of range: nothing sent, no status
bool SendDateTimeInput(int channel);  // TSIccON / OF
bool SendDateTimeInputAll();          // TSI + N letters
bool SendDateTimeOutput(int output);  // TSOooON / OF
bool SendDateTimeOutputAll();         // TSO + 16 letters

// Titles. SendTitle reports a refusal to its caller instead of setting a
// status: the title dialog shows its own message.
TitleCheck SendTitle(int channel);        // CTcc + 28 JIS codes
bool SendTitleDisplayInput(int channel);  // CTIccON / OF
bool SendTitleDisplayInputAll();
bool SendTitleDisplayOutput(int output);  // CTOooON / OF
bool SendTitleDisplayOutputAll();
bool SendTitlePosition(int channel);      // CTPIccT / B
bool SendTitlePositionAll();
bool SendTitleFontSize(int channel);      // CTSIccL / M / S
bool SendTitleFontSizeAll();
bool SendTitleFineTop();                  // CTATnn
bool SendTitleFineBottom();               // CTABnn

// Panel lock.
bool SendButtonLock();  // POON / POOF
bool SendMenuLock();    // PMON / PMOF
bool SendPassword();    // PN + 6 digits

// User-defined glyphs; sizeType 0 = LARGE, 1 = MEDIUM, 2 = SMALL.
bool SendGlyphReadSlot(int sizeType, int slot);            // RFBM + size + slot code
bool SendGlyphReadSample(int sizeType, const char* sample); // RFBM + size + JIS code of the sample
bool SendGlyphRegister(int sizeType, int slot);            // GR + size + nnn + bitmap
bool SendGlyphInsert(int sizeType, int slot, int channel, int position); // GnnnCccItt

// Unit network settings: written straight to the serial link.
enum UnitAddressKind { kUnitIpAddress, kUnitGatewayAddress, kUnitActiveAddress, kUnitSubnetMask };
bool SendUnitAddress(UnitAddressKind kind);  // EIA / EGA / EAA / ESM + ddd.ddd.ddd.ddd
bool SendUnitConnectionTry();    // ECTON / ECTOF
bool SendUnitKeepAlive();        // EKAON / EKAOF
bool SendUnitSourcePort();       // ESPN + 5 digits
bool SendUnitDestinationPort();  // EDPN + 5 digits
bool SendUnitTimeRegister();     // ETR + "1".."8"
constexpr int kUnitNetworkReadSteps = 11;
bool SendUnitNetworkRead(int step);  // step 1..11: REIA ... REMA, RVN

// Reads.
bool SendReadCurrentPattern();        // ROP
bool SendReadPattern(int pattern);    // ROPpp
bool SendReadAutoSwitch(int pattern); // RSPpp
bool SendReadVideoOutputs();          // ROE
bool SendReadOutputSources();         // ROS
bool SendReadOutputChannels();        // ROCD
bool SendReadVideoLoss();             // RVL

// The timed sequences, one command per step (1-based).
constexpr int kReadAllSteps = 66;
constexpr int kSetAllSteps = 67;
bool SendReadAllStep(int step);   // ROP; ROP01..32; RSP01..32; ROE
bool SendSetAllStep(int step);    // OP select; OS of the current pattern; OP01..32; SP01..32; OE
bool SendStatusPollStep(int counter);  // counter mod 3: ROS, ROCD, RVL
