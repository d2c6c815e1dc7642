#pragma once

#include <windows.h>

// "アラーム": the unit-wide alarm parameters (input contact type, hold time,
// buzzer, on-screen display, automatic return), each sent on its own.
void RunAlarmSettingsDialog(HWND owner);
