// What the dialogs had selected, kept between their openings.
#pragma once

struct DialogSelectionsRecord {
    int inputChannel, previousInputChannel;     // shared by the input-channel tables
    int videoOutput, previousVideoOutput;       // the video output dialog's list position
    int patternOutput, previousPatternOutput;   // the display pattern dialog's output
    int outputSide, previousOutputSide;         // output-side date/time and title display
};

extern DialogSelectionsRecord DialogSelections;
