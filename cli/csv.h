// CSV as RFC 4180 has it, read from memory one record at a time: cells
// separated by commas, records by CR LF or LF; a cell in double quotes may
// hold commas, line breaks and quotes (doubled). Strict: a quote inside a
// cell that does not begin with one, text after a closing quote, or a quote
// left open makes its record an error; the reader then goes on at the next
// line, so that every bad record of a table can be listed. A quoted cell that
// runs over a line end and then goes wrong (no closing quote up to the end,
// or text after it) is most likely a stray quote: the lines after the one it
// opens on are read again as records of their own.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct CsvRecord {
    int line = 0;                    // the 1-based line the record begins on; for a quoted
                                     // cell gone wrong over a line end, the line it opens on
    std::vector<std::string> cells;  // as written, quotes undone
    std::string error;               // why the record is no CSV; empty when it is
};

class CsvReader {
public:
    // A UTF-8 byte order mark at the start is skipped.
    CsvReader(const char* data, size_t size);
    // The next record; false at the end of the data. Blank lines are skipped.
    bool Next(CsvRecord& record);

private:
    bool AtLineEnd() const;
    void SkipLineEnd();
    void SkipRestOfLine();
    // Goes back to `nextLine`, where the line after `openLine` begins (the
    // line a quoted cell that went wrong opens on); nothing when it is 0 (the
    // cell never left its line, which the reader is past already).
    void ReadAgainFrom(size_t nextLine, int openLine);

    const char* data_;
    size_t size_;
    size_t at_ = 0;
    int line_ = 1;
};

// A cell as a record holds it: in quotes, its quotes doubled, when it holds
// a comma, a quote, a CR or a LF; else as it is.
std::string CsvCell(const std::string& text);
