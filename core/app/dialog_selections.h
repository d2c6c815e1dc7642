// What the dialogs had selected, kept between their openings.
#pragma once

struct DialogSelectionsRecord {
    int inputChannel;    // shared by the input-channel tables
    int videoOutput;     // the video output dialog's list position
    int patternOutput;   // the display pattern dialog's output
    int autoSwitchPattern;   // the auto-switch dialog's pattern, 0..31
    int outputSide;      // output-side date/time and title display
    int alarmConnector;  // the alarm input dialog's connector, 0..31
    int glyphSlot;           // registration slot, 0-based: the glyph editor and glyph insertion
    int glyphInsertSize;     // glyph insertion's font size: 0 = LARGE, 1 = MEDIUM, 2 = SMALL
    int glyphInsertPosition; // glyph insertion's title position, 0-based
};

extern DialogSelectionsRecord DialogSelections;
