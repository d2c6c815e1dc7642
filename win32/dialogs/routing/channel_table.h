// The channel-table dialog frame: a painted table of one value per channel
// or output, lists to pick an entry, its value and one value for all, "設定"
// for one entry, "全設定" for the whole table, an optional timed sequence,
// the slave address and "Close". Each member dialog describes itself with a
// ChannelTableMember; the frame does the rest.
#pragma once

#include <windows.h>

#include <cstddef>

#include "dialogs/routing/timed_sequence.h"

struct ChannelTableMember {
    const char* title;            // caption title; two blanks and the settings file follow
    int templateId;
    int entryCount;               // entries of the table; 0 = ChannelCount
    int firstListedEntry;         // the channel list starts at this entry
    int* selected;                // the channel list's position, kept between openings
    int* previous;
    int* (*row)();                // the table row the dialog shows and edits
    int valueCount;               // items of the value and same-value lists
    void (*valueItem)(int value, wchar_t* text, size_t size);    // list item
    void (*paintValue)(int value, wchar_t* text, size_t size);   // painted text, padded
    int sameValueStart;           // the same-value list's item at start
    int sameValueFirstEntry;      // the same-value list sets entries from here on
    bool (*sendOne)(int entry);
    bool (*sendAll)();
    const SequenceSpec* sequence; // the table-wide timed sequence, or null
    int sequencePeriodMs;
    // What a member adds: more controls at start, their commands (true when
    // handled), more painting, and controls locked while the sequence runs.
    void (*start)(HWND dialog);
    bool (*command)(HWND dialog, int id, int code);
    void (*paintExtra)(HDC dc);
    const int* sequenceLocks;     // zero-terminated control ids
};

void RunChannelTableDialog(HWND owner, const ChannelTableMember& member);

// For members: the table entry of the channel list's selection, the value
// list shown again for it, and the table painted again (without erasing).
int SelectedTableEntry(const ChannelTableMember& member);
void ShowSelectedValue(HWND dialog, const ChannelTableMember& member);
void InvalidateTable(HWND dialog);
