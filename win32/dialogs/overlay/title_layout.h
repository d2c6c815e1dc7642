#pragma once

#include <windows.h>

// Where and how the titles are shown: four channel tables and the fine
// offsets of top and bottom titles.
void RunTitleDisplayInputDialog(HWND owner);
void RunTitleDisplayOutputDialog(HWND owner);
void RunTitlePositionDialog(HWND owner);
void RunTitleFontSizeDialog(HWND owner);
void RunTitleFinePositionDialog(HWND owner);
