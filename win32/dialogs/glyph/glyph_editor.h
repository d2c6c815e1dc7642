// The glyph editor ("外字登録"): a dot-matrix painter of the one glyph bitmap,
// its glyph files, and its reads and registrations on the unit.
#pragma once

#include <windows.h>

// sizeType 0 = LARGE, 1 = MEDIUM, 2 = SMALL.
void RunGlyphEditor(HWND owner, int sizeType);
