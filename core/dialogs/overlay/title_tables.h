// Where and how the channel titles are shown: on or off per input and per
// output, at the top or the bottom, in which size — four channel tables —
// and the fine offsets of top and bottom titles.
#pragma once

#include "dialogs/routing/channel_table_model.h"

extern const ChannelTable TitleDisplayInputTable;
extern const ChannelTable TitleDisplayOutputTable;
extern const ChannelTable TitlePositionTable;
extern const ChannelTable TitleFontSizeTable;

// "タイトル位置微調整": the lists ("01".."16") store the offset and mark the
// settings as changed; "設定" sends it. A line outside the list is ignored.
enum TitleOffset { kTitleOffsetTop, kTitleOffsetBottom };
constexpr int kTitleOffsetLines = 16;
int TitleOffsetLine(TitleOffset offset);
void SelectTitleOffset(TitleOffset offset, int line);
bool SendTitleOffset(TitleOffset offset);
