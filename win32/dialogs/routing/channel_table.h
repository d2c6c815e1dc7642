// The channel-table dialog frame: a painted table of one value per channel
// or output, lists to pick an entry, its value and one value for all, "設定"
// for one entry, "全設定" for the whole table, an optional timed sequence,
// the slave address and "Close". The table itself (entries, values, sends)
// is portable; a member adds its dialog template, its title and, where it
// has more controls, its hooks.
#pragma once

#include <windows.h>

#include <span>

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
};

struct ChannelTableMember {
    const wchar_t* title = L"";   // caption title; two blanks and the settings file follow
    CaptionPath caption = kCaptionWithPath;   // or the title's own blanks, then the file
    int templateId = 0;
    const ChannelTable* table = nullptr;
    // The member's own controls that the timed sequence locks while it runs.
    std::span<const int> sequenceLocks = {};
    TableHooks hooks = {};
};

void RunChannelTableDialog(HWND owner, const ChannelTableMember& member);

// For hooks: the value list shown again for the selected entry, and the
// table painted again (without erasing).
void ShowSelectedValue(const TableFrame& frame);
void InvalidateTable(const TableFrame& frame);
