#include "cli/csv.h"

CsvReader::CsvReader(const char* data, size_t size) : data_(data), size_(size)
{
    if (size_ >= 3 && data_[0] == '\xEF' && data_[1] == '\xBB' && data_[2] == '\xBF')
        at_ = 3;
}

bool CsvReader::AtLineEnd() const
{
    return data_[at_] == '\n' || (data_[at_] == '\r' && at_ + 1 < size_ && data_[at_ + 1] == '\n');
}

void CsvReader::SkipLineEnd()
{
    at_ += data_[at_] == '\r' ? 2 : 1;
    ++line_;
}

void CsvReader::SkipRestOfLine()
{
    while (at_ < size_ && !AtLineEnd())
        ++at_;
    if (at_ < size_)
        SkipLineEnd();
}

void CsvReader::ReadAgainFrom(size_t nextLine, int openLine)
{
    if (nextLine == 0)
        return;
    at_ = nextLine;
    line_ = openLine + 1;
}

bool CsvReader::Next(CsvRecord& record)
{
    while (at_ < size_ && AtLineEnd())
        SkipLineEnd();
    if (at_ >= size_)
        return false;
    record.line = line_;
    record.cells.clear();
    record.error.clear();
    for (;;) {
        std::string cell;
        if (data_[at_] == '"') {
            const int openLine = line_;
            size_t nextLine = 0;   // where the line after openLine begins; 0 while the cell is on openLine
            for (++at_;; ++at_) {
                if (at_ >= size_) {
                    record.line = openLine;
                    record.error = "a quoted cell opens on this line and is never closed";
                    ReadAgainFrom(nextLine, openLine);
                    return true;
                }
                if (data_[at_] == '"') {
                    if (at_ + 1 < size_ && data_[at_ + 1] == '"')
                        ++at_;   // a doubled quote: one quote of the cell
                    else
                        break;
                } else if (data_[at_] == '\n') {
                    ++line_;
                    if (nextLine == 0)
                        nextLine = at_ + 1;
                }
                cell += data_[at_];
            }
            ++at_;   // past the closing quote
            if (at_ < size_ && data_[at_] != ',' && !AtLineEnd()) {
                if (nextLine == 0) {
                    record.error = "text follows the closing quote of a cell";
                    SkipRestOfLine();
                } else {
                    record.error = "a quoted cell opens on this line and closes on line " + std::to_string(line_) +
                                   ", where text follows its closing quote";
                    record.line = openLine;
                    ReadAgainFrom(nextLine, openLine);
                }
                return true;
            }
        } else {
            for (; at_ < size_ && data_[at_] != ',' && !AtLineEnd(); ++at_) {
                if (data_[at_] == '"') {
                    record.error = "a quote inside a cell that does not begin with one (quote the whole cell and "
                                   "double its quotes)";
                    SkipRestOfLine();
                    return true;
                }
                cell += data_[at_];
            }
        }
        record.cells.push_back(cell);
        if (at_ >= size_)
            return true;
        if (data_[at_] != ',') {
            SkipLineEnd();
            return true;
        }
        ++at_;
        if (at_ >= size_) {
            record.cells.emplace_back();   // "a," ends with an empty cell
            return true;
        }
    }
}

std::string CsvCell(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}
