#pragma once

#include <windows.h>

// "自動切換えパターン": the dwell times of the 32 auto-switch patterns.
void RunAutoSwitchDialog(HWND owner);
