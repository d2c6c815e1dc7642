// The titles of a settings set as a table a person edits in a spreadsheet:
// CSV (RFC 4180) in UTF-8, a header line, then one row per input channel.
// Excel and LibreOffice open it as UTF-8 when it begins with a byte order
// mark, and Excel on a Japanese Windows saves "CSV" in code page 932: both
// are read back.
//   channel,title,display,position,size
//   2,　　　　　　　　ＣＨ０２,on,bottom,M
// display is the title display of the input side (TitleDisplayInput; the
// output side's flags are per video output and not in the table); position
// (TitlePosition) and size (TitleFontSize) exist per input channel only.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "protocol/device_model.h"

constexpr char kTitleTableHeader[] = "channel,title,display,position,size";
// A table of 64 rows is a few kilobytes; anything this large is no table.
constexpr size_t kTitleTableLimit = 1 << 20;

struct TableProblem {
    int line;             // 1-based line of the table; 0 when not about a line
    std::string reason;
};

enum class TableEncoding {
    kNone,          // not read that far: too large, a NUL, or neither of the two
    kUtf8,          // UTF-8, with or without a byte order mark
    kCodePage932,   // not UTF-8: read as code page 932 and converted first
};

struct TitleTableRead {
    int rows = 0;                        // data rows read, good or bad
    std::vector<TableProblem> problems;  // empty when the table was applied
    TableEncoding encoding = TableEncoding::kNone;
};

// The whole table, CR LF line ends, channels 1..64 in order, after a UTF-8
// byte order mark when `byteOrderMark` is set. False, with one text per
// channel, when a title is no Shift-JIS text (it cannot be written as UTF-8)
// or a value lies outside what its field holds.
bool FormatTitleTable(const DeviceModelData& model, std::string& table, std::vector<std::string>& problems,
                      bool byteOrderMark);

// Applies a table: each row sets its channel's title, display flag, position
// and size; rows come in any order, a channel at most once, and a channel
// without a row keeps what it has. The header line is required (its columns
// in any order). The text is UTF-8 (a byte order mark allowed) or, when it
// is not, code page 932, converted whole before it is read; neither refuses
// it at its first bad line. What spreadsheets add is ignored: empty cells
// after the last column, and rows of empty cells (or blank lines).
// All or nothing: when anything is wrong, every bad cell is listed with its
// line and the model is left byte for byte as it was.
// Values: display on/off, position top/bottom, size L/M/S, any case. A title
// must be one the unit can show (EncodeTitle: at most 56 Shift-JIS bytes,
// full-width characters only, i.e. the double-byte characters of code page
// 932 but the user-defined ones, and no "＊") unless it is the channel's own
// title already, as FormatTitleTable writes it: that one keeps its bytes as
// they are, so that a table written and read back changes nothing.
TitleTableRead ApplyTitleTable(const char* data, size_t size, DeviceModelData& model);

// A title slot in UTF-8; false when it is no Shift-JIS text.
bool TitleToUtf8(const char* slot, std::string& utf8);
// The same for a person to read: what is no Shift-JIS is shown as \xNN.
std::string ShownTitle(const char* slot);
