#pragma once

#include <windows.h>

// "タイトル": the channel titles, 8 a page, edited as text and sent to the unit.
void RunTitlesDialog(HWND owner);
