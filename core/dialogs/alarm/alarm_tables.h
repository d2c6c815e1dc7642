// The tables of the alarm routing dialogs: which video input each alarm
// connector shows, and on which outputs an input's alarm appears.
#pragma once

#include "dialogs/routing/channel_table_model.h"

// "アラーム入力": the 32 connectors, each assigned an input channel ("no.01"
// .. "no.32" in the row list, "ch.01".. in the value lists), all on one page.
extern const ChannelTable AlarmInputTable;

// "アラーム映像出力" and "アラーム信号出力": per input channel, 4 video outputs
// or 6 signal outputs ON or OFF, painted 16 channels at a time.
extern const ChannelTable AlarmVideoOutputTable;
extern const ChannelTable AlarmSignalOutputTable;

// Channels the output tables paint at a time.
constexpr int kAlarmOutputPage = 16;
