#pragma once

#include <windows.h>

// "日付・時刻表示（入力側）" and "日付・時刻表示（出力側）": the date and time
// overlay ON or OFF per input channel and per video output.
void RunDateTimeInputDialog(HWND owner);
void RunDateTimeOutputDialog(HWND owner);
