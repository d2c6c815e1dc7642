#pragma once

#include <windows.h>

// "画面表示パターン": the 32 display patterns and the free layout.
void RunDisplayPatternDialog(HWND owner);
