#pragma once

#include <windows.h>

// "タイトル": the channel titles, 8 a page, edited as text and sent to the unit.
void RunTitlesDialog(HWND owner);

// How often an edit of the title was cut short (each time with a beep): what
// did not fit of a typed or pasted text was dropped.
extern int TitleEditBeeps;
