// The glyph the simulated unit reports for a standard character. A real unit
// reads it from its character ROM; the simulator has no font, so it draws
// what a font shows for a character it lacks: a frame with the character's
// four hexadecimal JIS digits inside (high byte above, low byte below). The
// full-width space is the one character drawn as it really is: empty.
#pragma once

#include <cstdint>

// Fills the first 72, 128 or 288 bytes of `bitmap` (by sizeType: SMALL,
// MEDIUM, LARGE) in the unit's dot layout.
void DrawCodeGlyph(uint16_t jisCode, int sizeType, unsigned char* bitmap);
