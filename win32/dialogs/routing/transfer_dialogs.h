#pragma once

#include <windows.h>

// "設定項目の読み込み" and "全項目の設定": the routing settings read from
// the unit, or sent to it, in one run.
void RunReadAllDialog(HWND owner);
void RunSetAllDialog(HWND owner);
