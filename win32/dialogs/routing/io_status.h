// "入出力の状態": the live input/output status window. It polls the unit on
// timer 10 and draws what each reply changed; see
// dialogs/routing/io_status_view.h for the portable half.
#pragma once

#include <windows.h>

// What the window has drawn since it last opened (read by the tests and the
// benchmark figures; only the window's thread writes it).
struct IoStatusDrawCounts {
    int fullPaints = 0;          // WM_PAINT
    int incrementalDraws = 0;    // hand-overs taken and drawn
    int cells = 0;               // matrix cells filled by incremental draws
    int mostCellsInOneDraw = 0;
    int lostMarks = 0;           // "LO"
    int presentMarks = 0;        // two blanks over an "LO"
    int patternMarks = 0;        // "SP" + pattern
    int patternBlanks = 0;       // four blanks over an "SP" mark
    int lastPatternOutput = -1;  // the last "SP" mark drawn: 0-based output and pattern
    int lastPattern = -1;
};
extern IoStatusDrawCounts IoStatusDrawn;

// Opens the window modally (the caller has applied the Broadcast guard).
void RunIoStatusWindow(HWND owner);
