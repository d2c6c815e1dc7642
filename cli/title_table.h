// The titles of a settings set as a table a person edits in a spreadsheet:
// CSV (RFC 4180) in UTF-8, a header line, then one row per input channel.
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

struct TitleTableRead {
    int rows = 0;                        // data rows read, good or bad
    std::vector<TableProblem> problems;  // empty when the table was applied
};

// The whole table, CR LF line ends, channels 1..64 in order. False, with one
// text per channel, when a title is no Shift-JIS text (it cannot be written
// as UTF-8) or a value lies outside what its field holds.
bool FormatTitleTable(const DeviceModelData& model, std::string& table, std::vector<std::string>& problems);

// Applies a table: each row sets its channel's title, display flag, position
// and size; rows come in any order, a channel at most once, and a channel
// without a row keeps what it has. The header line is required (its columns
// in any order); blank lines are skipped; a UTF-8 byte order mark is allowed.
// All or nothing: when anything is wrong, every bad cell is listed with its
// line and the model is left byte for byte as it was.
// Values: display on/off, position top/bottom, size L/M/S, any case. A title
// must be one the unit can show (EncodeTitle: at most 56 Shift-JIS bytes,
// full-width JIS X 0208 characters only, no "＊") unless it is the channel's
// own title already, as FormatTitleTable writes it: that one keeps its bytes
// as they are, so that a table written and read back changes nothing.
TitleTableRead ApplyTitleTable(const char* data, size_t size, DeviceModelData& model);

// A title slot in UTF-8; false when it is no Shift-JIS text.
bool TitleToUtf8(const char* slot, std::string& utf8);
// The same for a person to read: what is no Shift-JIS is shown as \xNN.
std::string ShownTitle(const char* slot);
