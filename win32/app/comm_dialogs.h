// The communication settings dialogs: interface, serial port and control,
// client or server, and the RS-485 slave address. Each runs modally with the
// main window as owner.
#pragma once

#include <windows.h>

void RunInterfaceDialog(HWND owner);
void RunSerialSettingsDialog(HWND owner);
void RunClientServerDialog(HWND owner);
void RunSlaveAddressDialog(HWND owner);
