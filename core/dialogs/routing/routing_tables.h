// The tables of the routing dialogs: video outputs, display patterns and
// auto-switch patterns.
#pragma once

#include "dialogs/routing/channel_table_model.h"

// "映像出力": outputs 2..16 on or off (output 1 is always on), one command
// per output or one for all.
extern const ChannelTable VideoOutputTable;

// "画面表示パターン": the 16 screens of the selected display pattern (or of
// the free layout); "全パターン設定" sends the 32 patterns one by one.
extern const ChannelTable DisplayPatternScreens;
extern const SequenceSteps AllDisplayPatterns;

// The pattern list: 0..31 or the free layout. False for anything else.
bool SelectDisplayPattern(int pattern);
// "全パターン設定" exists for the 32 patterns, not for the free layout.
bool AllPatternsAvailable();
// "画面切換え": the unit shows the selected pattern, and the free layout
// starts from it (a changed free layout marks the settings as changed).
// Nothing while a command is outstanding.
bool SwitchToSelectedPattern();

// "自動切換えパターン": the dwell time of each input channel in the selected
// auto-switch pattern; "全パターン設定" sends the 32 patterns one by one.
extern const ChannelTable AutoSwitchChannels;
extern const SequenceSteps AllAutoSwitchPatterns;
// The pattern list: 0..31. False for anything else.
bool SelectAutoSwitchPattern(int pattern);
