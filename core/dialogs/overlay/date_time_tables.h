// The tables of the date and time display dialogs: the overlay ON or OFF per
// input channel and per video output.
#pragma once

#include "dialogs/routing/channel_table_model.h"

// "日付・時刻表示（入力側）": the unit's input channels, with the shared
// input-channel selection.
extern const ChannelTable DateTimeInputTable;

// "日付・時刻表示（出力側）": the 16 outputs, with the output-side selection
// that the title display's output side shares.
extern const ChannelTable DateTimeOutputTable;
