// The unit's small fixed forms: the panel password, the alarm settings and
// the unit's own network settings. Each row of a form has its own "設定"
// that sends the one command of that row, built from the model. This is what
// the forms check, store and send; the Windows dialogs show it.
#pragma once

#include "dialogs/routing/timed_sequence.h"
#include "protocol/device_model.h"

// ---- Panel password -------------------------------------------------------------

enum PasswordRow { kPasswordNumberRow, kPasswordButtonLockRow, kPasswordMenuLockRow };

// The number edit's text (at most six characters) is the password now. True
// when the number can be sent (six digits).
bool PasswordTextChanged();

// ---- Alarm settings -------------------------------------------------------------

enum AlarmRow { kAlarmPolarityRow, kAlarmHoldTimeRow, kAlarmBuzzerRow, kAlarmDisplayRow, kAlarmReturnRow };

// The hold-time edit's text (at most two characters) is holdTimeText now:
// holdTime becomes the number it starts with (0 when it does not start with
// a digit). True when the hold time can be sent ("1".."99").
bool HoldTimeTextChanged();

// ---- Unit network settings ------------------------------------------------------

enum UnitNetworkRow {
    kUnitIpAddressRow,
    kUnitGatewayAddressRow,
    kUnitActiveAddressRow,
    kUnitSubnetMaskRow,
    kUnitConnectionTryRow,
    kUnitKeepAliveRow,
    kUnitTimeRegisterRow,
    kUnitSourcePortRow,
    kUnitDestinationPortRow,
};

// "Time Register": the items of its list, index 0..7 (UTF-8).
extern const char* const TimeRegisterItems[kTimeRegisterItems];

// Why a port text cannot be sent, as the user is told; nullptr when it can.
const char* PortRefusal(const char* text);

// The MAC address and version as the form shows them: the unit's report, or
// the zero form while there is none.
const char* ShownMacAddress();
const char* ShownFirmwareVersion();

// Each opening starts without the unit's MAC address and version: they come
// with the next read.
void OpenUnitNetwork();

// "読み込み": every setting of the record read back, one command per 200 ms.
extern const SequenceSteps UnitNetworkRead;
// The model now holds the unit's settings, which no file holds yet.
void UnitNetworkReadSucceeded();

// ---- The rows' "設定" ------------------------------------------------------------

// Nothing while a command is outstanding. Otherwise the row's one command
// goes out as a single command (a value it refuses gives "Command Error"; a
// port it refuses is explained to the user, and nothing is sent). True when
// a command was handed to the link.
bool SendPasswordRow(PasswordRow row);
bool SendAlarmRow(AlarmRow row);
bool SendUnitNetworkRow(UnitNetworkRow row);
