// Glyph insertion ("外字挿入"): puts a registered glyph at a position of a
// channel's title on the unit.
#pragma once

#include <windows.h>

void RunGlyphInsertDialog(HWND owner);
