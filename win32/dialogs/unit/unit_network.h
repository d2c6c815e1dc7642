#pragma once

#include <windows.h>

// "プロトコルの設定": the unit's own TCP/IP settings, set one by one and read
// back all at once, over the serial link only.
void RunUnitNetworkDialog(HWND owner);
