#pragma once

#include <windows.h>

// "日付・時刻": the unit's clock set field by field from the PC's clock, the
// 30-second correction and the overlay's display range.
void RunDateTimeDialog(HWND owner);
