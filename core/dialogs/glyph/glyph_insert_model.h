// Glyph insertion without its window: the channel, font size, slot and
// position lists, kept between openings, and what "設定" sends.
#pragma once

// Lines of the lists for the chosen font size: slots 256, 160 or 70,
// positions 28, 21 or 14 (SMALL, MEDIUM, LARGE).
int GlyphInsertSlotLines();
int GlyphInsertPositionLines();

// At the start of the dialog: a kept channel, slot or position the lists no
// longer hold becomes the list's last line.
void OpenGlyphInsert();
// The font size list (0 = LARGE, 1 = MEDIUM, 2 = SMALL): the slot and
// position lists are refilled for the size, and a selection beyond the new
// count becomes the last line. A line outside the list is ignored (false).
bool SelectGlyphInsertSize(int line);
// The channel, slot and position lists; lines outside them are ignored.
void SelectGlyphInsertChannel(int line);
void SelectGlyphInsertSlot(int line);
void SelectGlyphInsertPosition(int line);

// "設定": "G" + slot + "C" + channel + "I" + position; nothing while a
// command is outstanding.
bool SendGlyphInsertion();
