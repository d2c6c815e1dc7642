#pragma once

#include <windows.h>

// "パスワード": the six-digit password that locks the unit's front panel, and
// when the unit asks for it (button operation, menu operation).
void RunPasswordDialog(HWND owner);
