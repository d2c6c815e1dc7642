#include "dialogs/routing/channel_table_model.h"

#include <cstdio>

#include "files/settings_file.h"
#include "link/transaction.h"
#include "protocol/device_model.h"

int OutputTableEntries()
{
    return kOutputCount;
}

int ChannelTableEntries()
{
    return DeviceModel.ChannelCount;
}

TableCursor OpenTable(const ChannelTable& table)
{
    TableCursor cursor{&table, 0};
    const int lines = ListedEntries(cursor);
    int& position = *table.entries.position;
    if (position < 0 || position >= lines)
        position = lines - 1;
    cursor.previous = position;
    return cursor;
}

int ListedEntries(const TableCursor& cursor)
{
    const TableEntries& entries = cursor.table->entries;
    return entries.count() - entries.firstListed;
}

int ValueCount(const ChannelTable& table)
{
    return table.values.countNow ? table.values.countNow() : table.values.count;
}

int SelectedEntry(const TableCursor& cursor)
{
    return *cursor.table->entries.position + cursor.table->entries.firstListed;
}

int SelectedValue(const TableCursor& cursor)
{
    return cursor.table->entries.get(SelectedEntry(cursor));
}

int PageBase(const TableCursor& cursor)
{
    const int size = cursor.table->pageSize;
    return SelectedEntry(cursor) / size * size;
}

int PageLength(const TableCursor& cursor)
{
    const int rest = cursor.table->entries.count() - PageBase(cursor);
    return rest < cursor.table->pageSize ? rest : cursor.table->pageSize;
}

bool PageChanged(int previous, int next, int pageSize)
{
    return pageSize > 0 && previous / pageSize != next / pageSize;
}

bool SelectTablePosition(TableCursor& cursor, int position)
{
    if (position < 0 || position >= ListedEntries(cursor))
        return false;
    const int first = cursor.table->entries.firstListed;
    *cursor.table->entries.position = position;
    const bool changed = PageChanged(cursor.previous + first, position + first, cursor.table->pageSize);
    cursor.previous = position;
    return changed;
}

bool SetSelectedValue(const TableCursor& cursor, int value)
{
    if (value < 0 || value >= ValueCount(*cursor.table))
        return false;
    cursor.table->entries.set(SelectedEntry(cursor), value);
    SettingsModified = 1;
    return true;
}

bool SetSameValue(const TableCursor& cursor, int value)
{
    const ChannelTable& table = *cursor.table;
    if (value < 0 || value >= ValueCount(table))
        return false;
    for (int entry = table.values.sameFirstEntry; entry < table.entries.count(); ++entry)
        table.entries.set(entry, value);
    SettingsModified = 1;
    return true;
}

int SelectedFlag(const TableCursor& cursor, int flag)
{
    return cursor.table->flags.get(SelectedEntry(cursor), flag);
}

bool SetSelectedFlag(const TableCursor& cursor, int flag, int on)
{
    const TableFlags& flags = cursor.table->flags;
    if (flag < 0 || flag >= flags.count || (on != 0 && on != 1))
        return false;
    flags.set(SelectedEntry(cursor), flag, on);
    SettingsModified = 1;
    return true;
}

bool ReadyForSingleCommand()
{
    if (TransactionState.busy)
        return false;
    TransactionState.sequencePhase = kPhaseSingle;
    return true;
}

bool SendSelectedEntry(const TableCursor& cursor)
{
    if (!ReadyForSingleCommand())
        return false;
    cursor.table->sends.one(SelectedEntry(cursor));
    return true;
}

bool SendWholeTable(const TableCursor& cursor)
{
    if (!ReadyForSingleCommand())
        return false;
    cursor.table->sends.all();
    return true;
}

void OnOffItem(int value, char* text, size_t size)
{
    snprintf(text, size, "%s", value ? "ON" : "OFF");
}

void OnOffPainted(int value, char* text, size_t size)
{
    snprintf(text, size, "%s", value ? "ON " : "OFF");
}
