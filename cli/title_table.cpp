#include "cli/title_table.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "cli/csv.h"
#include "cli/utf8.h"
#include "protocol/jis.h"
#include "protocol/title_codec.h"

namespace {

constexpr int kColumns = 5;
const char* const kColumnNames[kColumns] = {"channel", "title", "display", "position", "size"};
const char* const kDisplayWords[] = {"off", "on"};       // index = TitleDisplayInput
const char* const kPositionWords[] = {"bottom", "top"};  // index = TitlePosition
const char* const kSizeWords[] = {"L", "M", "S"};        // index = TitleFontSize

template <int N>
const char* WordOf(int value, const char* const (&words)[N])
{
    return value >= 0 && value < N ? words[value] : nullptr;
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The index of `cell` among `words`, any case; -1 when it is none of them.
template <int N>
int IndexOf(const std::string& cell, const char* const (&words)[N])
{
    for (int i = 0; i < N; ++i) {
        const std::string word = words[i];
        if (cell.size() == word.size() &&
            std::equal(cell.begin(), cell.end(), word.begin(), [](char a, char b) { return Lower(a) == Lower(b); }))
            return i;
    }
    return -1;
}

std::string Hex(unsigned char byte)
{
    char text[8];
    snprintf(text, sizeof text, "\\x%02X", byte);
    return text;
}

// A cell in quotes for a message: what is no printable UTF-8 as \xNN, and no
// more than 40 characters of it.
std::string Quoted(const std::string& cell)
{
    std::string shown = "\"";
    int characters = 0;
    for (size_t at = 0; at < cell.size();) {
        if (++characters > 40) {
            shown += "...";
            break;
        }
        const size_t start = at;
        uint32_t character;
        if (NextUtf8(cell, at, character) && character >= 0x20 && character != 0x7F) {
            shown.append(cell, start, at - start);
        } else {
            shown += Hex(static_cast<unsigned char>(cell[start]));
            at = start + 1;
        }
    }
    return shown + "\"";
}

size_t CharacterLength(const std::string& shiftJis, size_t at)
{
    const bool pair = IsShiftJisLeadByte(static_cast<unsigned char>(shiftJis[at])) && at + 1 < shiftJis.size();
    return pair ? 2 : 1;
}

// The first character of a title that the unit cannot show, in UTF-8; empty
// when there is none to name.
std::string FirstUnshowable(const std::string& shiftJis)
{
    for (size_t at = 0; at < shiftJis.size();) {
        const size_t length = CharacterLength(shiftJis, at);
        const std::string character = shiftJis.substr(at, length);
        at += length;
        // The title rule itself, on the character alone.
        uint16_t codes[kTitleCharacters];
        if (EncodeTitle(character.c_str(), codes) == kTitleOk)
            continue;
        std::string utf8;
        return ShiftJisToUtf8(character, utf8) ? utf8 : std::string();
    }
    return std::string();
}

// Checks a title cell (UTF-8) and stores it into the slot; false with `reason`.
bool StoreTitle(const std::string& cell, char* slot, std::string& reason)
{
    std::string own;
    if (TitleToUtf8(slot, own) && own == cell)
        return true;   // the channel's own title: kept byte for byte
    std::string shiftJis;
    if (!Utf8ToShiftJis(cell, shiftJis)) {
        // Name the first character that has no code.
        uint32_t character;
        std::string ignored;
        for (size_t at = 0, start = 0; NextUtf8(cell, at, character); start = at) {
            if (!Utf8ToShiftJis(cell.substr(start, at - start), ignored)) {
                reason = Quoted(cell.substr(start, at - start)) + " has no Shift-JIS code";
                return false;
            }
        }
        reason = "the title has no Shift-JIS form";
        return false;
    }
    if (shiftJis.size() > static_cast<size_t>(kTitleMaxBytes)) {
        reason = "it is " + std::to_string(shiftJis.size()) +
                 " bytes in Shift-JIS; a title holds at most 56 (28 full-width characters)";
        return false;
    }
    char candidate[kTitleSlotBytes] = {};
    memcpy(candidate, shiftJis.data(), shiftJis.size());
    uint16_t codes[kTitleCharacters];
    switch (EncodeTitle(candidate, codes)) {
    case kTitleOk:
        memcpy(slot, candidate, kTitleSlotBytes);
        return true;
    case kTitleAsterisk:
        reason = "a title cannot hold \"＊\": the settings file reads it back as a full-width space";
        return false;
    case kTitleBadLength:
    case kTitleNoJisCode:
        break;
    }
    // What EncodeTitle takes: two bytes a character, each with a JIS code in
    // the title range, which the code page 932 characters have but for the
    // half-width ones (ASCII, half-width katakana) and the user-defined ones.
    const std::string character = FirstUnshowable(shiftJis);
    reason = character.empty() ? std::string("the unit cannot show this title")
                               : "the unit cannot show " + Quoted(character) +
                                     " in a title (full-width characters only: JIS X 0208 and the NEC and IBM "
                                     "extensions)";
    return false;
}

bool ParseChannel(const std::string& cell, int& channel)
{
    if (cell.empty() || cell.size() > 9 || cell.find_first_not_of("0123456789") != std::string::npos)
        return false;
    channel = std::stoi(cell);
    return channel >= 1 && channel <= kMaxChannels;
}

struct RowChecker {
    DeviceModelData& model;
    TitleTableRead& read;
    int firstLine[kMaxChannels] = {};   // where each channel's row was; 0: none yet

    void Problem(int line, const std::string& reason) { read.problems.push_back({line, reason}); }

    // cells: channel, title, display, position, size
    void Row(int line, const std::string (&cells)[kColumns])
    {
        const size_t before = read.problems.size();
        int channel = 0;
        if (!ParseChannel(cells[0], channel)) {
            Problem(line, "channel " + Quoted(cells[0]) + " is not 1..64");
            channel = 0;
        } else if (firstLine[channel - 1] != 0) {
            Problem(line, "channel " + std::to_string(channel) + " is given twice (first on line " +
                              std::to_string(firstLine[channel - 1]) + ")");
            channel = 0;
        } else {
            firstLine[channel - 1] = line;
        }

        // A row without a good channel has no own title to keep: its title is
        // checked. A refused title is shown beside the one it would replace.
        std::string reason;
        char slot[kTitleSlotBytes] = {};
        if (channel > 0)
            memcpy(slot, model.TitleText[channel - 1], kTitleSlotBytes);
        if (!StoreTitle(cells[1], slot, reason)) {
            const std::string title = channel > 0 ? "title " + std::to_string(channel) + " " + Quoted(cells[1]) +
                                                        " (the settings file holds " + Quoted(ShownTitle(slot)) + ")"
                                                  : "title " + Quoted(cells[1]);
            Problem(line, title + ": " + reason);
        }
        const int display = IndexOf(cells[2], kDisplayWords);
        if (display < 0)
            Problem(line, "display " + Quoted(cells[2]) + " is neither on nor off");
        const int position = IndexOf(cells[3], kPositionWords);
        if (position < 0)
            Problem(line, "position " + Quoted(cells[3]) + " is neither top nor bottom");
        const int size = IndexOf(cells[4], kSizeWords);
        if (size < 0)
            Problem(line, "size " + Quoted(cells[4]) + " is not L, M or S");

        if (channel > 0 && read.problems.size() == before) {
            const int c = channel - 1;
            memcpy(model.TitleText[c], slot, kTitleSlotBytes);
            model.TitleDisplayInput[c] = display;
            model.TitlePosition[c] = position;
            model.TitleFontSize[c] = size;
        }
    }
};

// Which cell of a row each column of the header is; false with `reason`
// when the header is not the five names, each once, in some order.
bool ReadHeader(const CsvRecord& header, int (&column)[kColumns], std::string& reason)
{
    reason = std::string("the first line must be the header ") + kTitleTableHeader;
    if (!header.error.empty()) {
        reason += "; " + header.error;
        return false;
    }
    int found[kColumns] = {-1, -1, -1, -1, -1};
    for (size_t k = 0; k < header.cells.size(); ++k) {
        const std::string& name = header.cells[k];
        int field = kColumns;
        while (--field >= 0 && name != kColumnNames[field]) {
        }
        if (field < 0) {
            reason += "; it has the column " + Quoted(name);
            return false;
        }
        if (found[field] >= 0) {
            reason += "; it has the column " + name + " twice";
            return false;
        }
        found[field] = static_cast<int>(k);
    }
    for (int field = 0; field < kColumns; ++field) {
        if (found[field] < 0) {
            reason += std::string("; it has no column ") + kColumnNames[field];
            return false;
        }
        column[field] = found[field];
    }
    return true;
}

// The next record that holds anything, its empty cells after the first
// `columns` dropped: a spreadsheet writes empty cells for every column it
// holds anything in (formatting too), and rows of them below or between the
// rows. A record in error is taken as it is.
bool NextRecord(CsvReader& reader, CsvRecord& record, size_t columns)
{
    while (reader.Next(record)) {
        if (!record.error.empty())
            return true;
        while (record.cells.size() > columns && record.cells.back().empty())
            record.cells.pop_back();
        if (!std::all_of(record.cells.begin(), record.cells.end(), [](const std::string& c) { return c.empty(); }))
            return true;
    }
    return false;
}

// The table's text in UTF-8: as it is when it is UTF-8, else read whole as
// code page 932 (Excel's "CSV" on a Japanese Windows). False with a problem
// when it is neither.
bool TableText(const char* data, size_t size, std::string& text, TitleTableRead& read)
{
    text.assign(data, size);
    if (IsUtf8(text)) {
        read.encoding = TableEncoding::kUtf8;
        return true;
    }
    if (ShiftJisToUtf8(text, text)) {
        read.encoding = TableEncoding::kCodePage932;
        return true;
    }
    // A LF is no part of any other character in either, so each line is
    // UTF-8, code page 932, both or neither on its own.
    int notUtf8 = 0, notCodePage = 0;
    std::string ignored;
    for (size_t start = 0, line = 1;; ++line) {
        const void* lf = memchr(data + start, '\n', size - start);
        const size_t end = lf ? static_cast<size_t>(static_cast<const char*>(lf) - data) : size;
        const std::string bytes(data + start, end - start);
        const bool utf8 = IsUtf8(bytes);
        const bool codePage = ShiftJisToUtf8(bytes, ignored);
        if (!utf8 && !codePage) {
            read.problems.push_back({static_cast<int>(line), "the line is neither UTF-8 nor code page 932 (Shift-JIS) "
                                                             "text"});
            return false;
        }
        if (!utf8 && notUtf8 == 0)
            notUtf8 = static_cast<int>(line);
        if (!codePage && notCodePage == 0)
            notCodePage = static_cast<int>(line);
        if (!lf)
            break;
        start = end + 1;
    }
    read.problems.push_back({std::max(notUtf8, 1), "the line is code page 932 (Shift-JIS) text, but line " +
                                                       std::to_string(notCodePage) +
                                                       " is UTF-8: a table is all one or all the other"});
    return false;
}

} // namespace

bool TitleToUtf8(const char* slot, std::string& utf8)
{
    return ShiftJisToUtf8(std::string(slot, strnlen(slot, kTitleSlotBytes)), utf8);
}

std::string ShownTitle(const char* slot)
{
    const std::string title(slot, strnlen(slot, kTitleSlotBytes));
    std::string shown;
    if (ShiftJisToUtf8(title, shown))
        return shown;
    shown.clear();
    for (size_t at = 0; at < title.size();) {
        const size_t length = CharacterLength(title, at);
        std::string utf8;
        if (ShiftJisToUtf8(title.substr(at, length), utf8)) {
            shown += utf8;
        } else {
            for (size_t k = 0; k < length; ++k)
                shown += Hex(static_cast<unsigned char>(title[at + k]));
        }
        at += length;
    }
    return shown;
}

bool FormatTitleTable(const DeviceModelData& model, std::string& table, std::vector<std::string>& problems,
                      bool byteOrderMark)
{
    problems.clear();
    table = std::string(byteOrderMark ? "\xEF\xBB\xBF" : "") + kTitleTableHeader + "\r\n";
    for (int c = 0; c < kMaxChannels; ++c) {
        const std::string channel = "channel " + std::to_string(c + 1);
        std::string title;
        if (!TitleToUtf8(model.TitleText[c], title))
            problems.push_back("the title of " + channel + " is no Shift-JIS text (\"" + ShownTitle(model.TitleText[c]) +
                               "\"), so it cannot be written as UTF-8");
        const char* display = WordOf(model.TitleDisplayInput[c], kDisplayWords);
        const char* position = WordOf(model.TitlePosition[c], kPositionWords);
        const char* size = WordOf(model.TitleFontSize[c], kSizeWords);
        if (!display || !position || !size)
            problems.push_back("the title display, position or size of " + channel + " is no value the unit has");
        if (problems.empty())
            table += std::to_string(c + 1) + "," + CsvCell(title) + "," + display + "," + position + "," + size + "\r\n";
    }
    return problems.empty();
}

TitleTableRead ApplyTitleTable(const char* data, size_t size, DeviceModelData& model)
{
    TitleTableRead read;
    if (size > kTitleTableLimit) {
        read.problems.push_back({0, "far larger than any title table"});
        return read;
    }
    // A title is a C string: a NUL would end it there, unseen.
    if (const void* nul = memchr(data, '\0', size)) {
        const size_t before = static_cast<size_t>(static_cast<const char*>(nul) - data);
        const int line = 1 + static_cast<int>(std::count(data, data + before, '\n'));
        read.problems.push_back({line, "the line holds a NUL byte"});
        return read;
    }
    std::string text;
    if (!TableText(data, size, text, read))
        return read;
    CsvReader reader(text.data(), text.size());
    CsvRecord record;
    int column[kColumns];
    std::string reason;
    if (!NextRecord(reader, record, 0)) {
        read.problems.push_back({1, "the table is empty: the first line must be the header " +
                                        std::string(kTitleTableHeader)});
        return read;
    }
    if (!ReadHeader(record, column, reason)) {
        read.problems.push_back({record.line, reason});
        return read;
    }

    auto staged = std::make_unique<DeviceModelData>(model);
    RowChecker checker{*staged, read};
    while (NextRecord(reader, record, kColumns)) {
        ++read.rows;
        if (!record.error.empty()) {
            read.problems.push_back({record.line, record.error});
        } else if (record.cells.size() != static_cast<size_t>(kColumns)) {
            const bool few = record.cells.size() < static_cast<size_t>(kColumns);
            read.problems.push_back({record.line, std::string(few ? "too few" : "too many") + " cells: a row has 5 (" +
                                                      kTitleTableHeader + ")" +
                                                      (few ? "" : "; quote a title that holds a comma")});
        } else {
            std::string cells[kColumns];
            for (int field = 0; field < kColumns; ++field)
                cells[field] = record.cells[static_cast<size_t>(column[field])];
            checker.Row(record.line, cells);
        }
    }
    if (read.problems.empty())
        memcpy(&model, staged.get(), sizeof model);
    return read;
}
