// The channel-table dialog frame: a painted table of one value per channel
// or output, lists to pick an entry, its value and one value for all (or, for
// a table of ON/OFF flags per row, a pair of radio buttons per flag), "設定"
// for one entry, "全設定" for the whole table, an optional timed sequence,
// the slave address and "Close". The table itself (entries, values, flags,
// sends, page size) is portable; a member adds its dialog template, its title
// and, where it has more controls or paints otherwise, its hooks.
#pragma once

#include <windows.h>

#include <atomic>
#include <span>
#include <string>

#include "common/dialog.h"
#include "common/sequence_display.h"
#include "dialogs/routing/channel_table_model.h"

struct ChannelTableMember;

// One opening of a member dialog, handed to the member's hooks.
struct TableFrame {
    const ChannelTableMember* member = nullptr;
    HWND dialog = nullptr;
    TableCursor cursor = {};
    SequenceDisplay sequence = {};   // members with a timed sequence
};

struct TableHooks {
    // More controls at start, their commands (true when handled), more painting.
    void (*start)(TableFrame& frame) = nullptr;
    bool (*command)(TableFrame& frame, int id, int code) = nullptr;
    void (*paintExtra)(TableFrame& frame, HDC dc) = nullptr;
    // The whole table painted by the member, in place of the frame's grid of
    // "label = value" cells.
    void (*paint)(TableFrame& frame, HDC dc) = nullptr;
};

struct ChannelTableMember {
    const wchar_t* title = L"";   // caption title; two blanks and the settings file follow
    CaptionPath caption = kCaptionWithPath;   // or the title's own blanks, then the file
    int templateId = 0;
    const ChannelTable* table = nullptr;
    // The member's own controls that the timed sequence locks while it runs.
    std::span<const int> sequenceLocks = {};
    bool sequenceKeepsPercent = false;   // the percent field keeps its last figure
    TableHooks hooks = {};
};

void RunChannelTableDialog(HWND owner, const ChannelTableMember& member);

// For hooks: the value list (or the radio buttons) shown again for the
// selected entry, and the table painted again (without erasing).
void ShowSelectedValue(const TableFrame& frame);
void InvalidateTable(const TableFrame& frame);

// "ch.01", "no.01": an entry's line in the row list; with " =" its painted label.
std::wstring TableEntryLabel(const ChannelTable& table, int entry);

// For painters: a text drawn in a cell `width` pixels wide that is filled as
// the text is drawn (the table is painted over itself, and in a proportional
// font a shorter text would leave the end of a longer one standing). The
// cell never crosses the table's right edge.
void PaintTableCell(HDC dc, int x, int y, int width, const std::wstring& text);
// The table's frame, from (25, 20) to the right edge and `bottom`.
void PaintTableFrame(HDC dc, int bottom);

// Tables painted since the program started (tests count repaints with it).
extern std::atomic<int> TablePaints;
