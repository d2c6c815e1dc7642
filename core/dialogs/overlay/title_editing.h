// The title dialog without its window: the titles of 8 channels a page, the
// selected channel's title edited as text, "設定" for one channel and the
// timed "全設定" for every channel, each refused with the title message when
// the unit cannot show the text.
#pragma once

#include "dialogs/routing/channel_table_model.h"

constexpr int kTitlePageEntries = 8;

extern const ChannelTable TitleChannels;
// Its length is the channel count, set by OpenTitles.
extern SequenceSteps AllTitles;

void OpenTitles();

// The edit's text (Shift-JIS, already cut to the 56 bytes a title holds)
// into the channel's slot; the settings are marked as changed unless the
// dialog is filling its controls.
void StoreTitleText(int channel, const char* text, bool initialising);

// The message of a refused title, and of a title refused for its "＊".
extern const char* const kTitleRefusedText;
extern const char* const kTitleAsteriskText;
