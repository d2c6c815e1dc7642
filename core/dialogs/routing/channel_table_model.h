// The table behind a channel-table dialog, without the dialog: which entries
// it has, where the channel list stands, how a value is read and stored, what
// its lists show and what "設定" and "全設定" send. The Windows frame paints
// it and turns list and button events into the calls below; what each call
// changed tells the frame what to repaint.
#pragma once

#include <cstddef>

#include "dialogs/routing/timed_sequence.h"

// A table shows this many entries at a time (4 columns of 8), unless it
// pages otherwise.
constexpr int kTablePageEntries = 32;

struct TableEntries {
    int (*count)() = nullptr;       // entries of the table (16 outputs, or the channel count)
    int firstListed = 0;            // the channel list starts at this entry
    // The row list's lines and the painted labels: this, then the 1-based
    // number ("ch.01", "ch.01 ="; "no.01" for the alarm connectors).
    const char* label = "ch.";
    int* position = nullptr;        // the channel list's position, kept between openings
    int (*get)(int entry) = nullptr;
    void (*set)(int entry, int value) = nullptr;
};

struct TableValues {
    int count = 0;                  // items of the value and same-value lists
    int (*countNow)() = nullptr;    // instead of count, when the items follow the channel count
    // Texts (UTF-8) of a value in the lists, and as painted in the table,
    // padded so that every value covers the one before it.
    void (*item)(int value, char* text, size_t size) = nullptr;
    void (*painted)(int value, char* text, size_t size) = nullptr;
    int sameStart = 0;              // the same-value list's item at every start
    int sameFirstEntry = 0;         // the same-value list sets the entries from here on
};

// Tables whose row is a set of ON/OFF flags (one per output), edited by a
// pair of radio buttons each, in place of one value and its lists.
struct TableFlags {
    int count = 0;                  // flags of a row; 0: the row is one value
    int (*get)(int entry, int flag) = nullptr;
    void (*set)(int entry, int flag, int on) = nullptr;
};

struct TableSends {
    bool (*one)(int entry) = nullptr;   // "設定": the selected entry
    bool (*all)() = nullptr;            // "全設定" (or "パターン設定"): the whole table in one command
};

struct ChannelTable {
    TableEntries entries = {};
    TableValues values = {};
    TableFlags flags = {};
    TableSends sends = {};
    const SequenceSteps* sequence = nullptr;   // the table-wide timed sequence, if any
    int pageSize = kTablePageEntries;          // entries painted at a time
};

// Entry counts for TableEntries::count.
int OutputTableEntries();    // 16
int ChannelTableEntries();   // the unit's channel count

// One opening of a table dialog: the table and the position the channel list
// had before its last change, which decides whether the page changed.
struct TableCursor {
    const ChannelTable* table = nullptr;
    int previous = 0;
};

// At the start of a dialog: a kept position the list no longer holds (the
// channel count shrank) becomes its last line.
TableCursor OpenTable(const ChannelTable& table);

int ListedEntries(const TableCursor& cursor);      // lines of the channel list
int ValueCount(const ChannelTable& table);         // lines of the value and same-value lists
int SelectedEntry(const TableCursor& cursor);
int SelectedValue(const TableCursor& cursor);
// The first entry of the page the selected entry lies on, and how many
// entries that page paints (pages of the table's page size).
int PageBase(const TableCursor& cursor);
int PageLength(const TableCursor& cursor);
// A table shows `pageSize` entries at a time: true when `next` lies on
// another page than `previous`.
bool PageChanged(int previous, int next, int pageSize);

// The user picked channel list line `position`: true when the table must be
// painted again because the page changed. A line outside the list is ignored.
bool SelectTablePosition(TableCursor& cursor, int position);
// The value list and the same-value list: true when something was stored
// (the settings are then marked as changed).
bool SetSelectedValue(const TableCursor& cursor, int value);
bool SetSameValue(const TableCursor& cursor, int value);
// Flag tables: one flag of the selected row, and an ON/OFF radio button
// picked for it (true when stored; the settings are then marked as changed).
int SelectedFlag(const TableCursor& cursor, int flag);
bool SetSelectedFlag(const TableCursor& cursor, int flag, int on);

// A single command may go out only while none is outstanding; when it may,
// the sequence phase is set to Single for it.
bool ReadyForSingleCommand();

// "設定" and "全設定": nothing while a command is outstanding; otherwise a
// single command goes out. True when one was handed to the send path.
bool SendSelectedEntry(const TableCursor& cursor);
bool SendWholeTable(const TableCursor& cursor);

// The value texts of ON/OFF tables: "ON" / "OFF" in the lists, painted as
// "ON " / "OFF" (equally wide).
void OnOffItem(int value, char* text, size_t size);
void OnOffPainted(int value, char* text, size_t size);
