// The titles table: CSV records, the Shift-JIS code page both ways, the
// table written from a model, and a table read into one: all of it or none,
// every bad cell with its line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "cli/csv.h"
#include "cli/platform.h"
#include "cli/title_table.h"

namespace {

const std::string kHeader = "channel,title,display,position,size\r\n";
// "ＣＡＭ１" and "ＣＡＭ２" in Shift-JIS.
const char kCam1[] = "\x82\x62\x82\x60\x82\x6c\x82\x50";
const char kCam2[] = "\x82\x62\x82\x60\x82\x6c\x82\x51";

DeviceModelData StartModel()
{
    DeviceModelData m{};
    ResetModelToStartValues(m);
    return m;
}

void SetTitle(DeviceModelData& m, int channel, const char* shiftJis)
{
    memset(m.TitleText[channel - 1], 0, kTitleSlotBytes);
    memcpy(m.TitleText[channel - 1], shiftJis, strlen(shiftJis));
}

bool SameModel(const DeviceModelData& a, const DeviceModelData& b)
{
    return memcmp(&a, &b, sizeof a) == 0;
}

TitleTableRead Apply(const std::string& table, DeviceModelData& m)
{
    return ApplyTitleTable(table.data(), table.size(), m);
}

struct CsvCase {
    const char* name;
    std::string text;
    std::vector<std::string> records;   // "line: cell|cell" or "line: error"
};

class Csv : public ::testing::TestWithParam<CsvCase> {};

TEST_P(Csv, ReadsRecordsWithTheirFirstLine)
{
    CsvReader reader(GetParam().text.data(), GetParam().text.size());
    std::vector<std::string> records;
    for (CsvRecord r; reader.Next(r);) {
        std::string cells;
        for (size_t k = 0; k < r.cells.size(); ++k)
            cells += (k ? "|" : "") + r.cells[k];
        records.push_back(std::to_string(r.line) + ": " + (r.error.empty() ? cells : r.error));
    }
    EXPECT_EQ(records, GetParam().records);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Csv,
    ::testing::Values(
        CsvCase{"crlf", "a,b\r\nc,d", {"1: a|b", "2: c|d"}},
        CsvCase{"bom_blank_lines_empty_cells", "\xef\xbb\xbf" "a\n\n\r\nb,\n,\r\n", {"1: a", "4: b|", "5: |"}},
        CsvCase{"quoted", "\"x,\"\"y\"\"\nz\",w\nnext", {"1: x,\"y\"\nz|w", "3: next"}},
        CsvCase{"lone_cr_is_text", "a\rb,c", {"1: a\rb|c"}},
        CsvCase{"quote_inside",
                "a\"b,c\nd",
                {"1: a quote inside a cell that does not begin with one (quote the whole cell and double its quotes)",
                 "2: d"}},
        CsvCase{"after_quote", "\"a\"b\nc", {"1: text follows the closing quote of a cell", "2: c"}},
        CsvCase{"open_quote", "x\n\"open\nmore", {"1: x", "2: a quoted cell is not closed"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Csv, ACellWrittenReadsBackAsItWas)
{
    for (const std::string text : {"", "plain", "a,b", "say \"hi\"", "line\nbreak", "cr\r", "\""}) {
        const std::string record = CsvCell(text) + ",x";
        CsvReader reader(record.data(), record.size());
        CsvRecord r;
        ASSERT_TRUE(reader.Next(r));
        EXPECT_EQ(r.cells, (std::vector<std::string>{text, "x"})) << record;
        EXPECT_FALSE(reader.Next(r));
    }
}

struct Conversion {
    std::string shiftJis;
    std::string utf8;
};

class CodePage : public ::testing::TestWithParam<Conversion> {};

TEST_P(CodePage, ConvertsBothWays)
{
    std::string utf8, shiftJis;
    ASSERT_TRUE(ShiftJisToUtf8(GetParam().shiftJis, utf8));
    EXPECT_EQ(utf8, GetParam().utf8);
    ASSERT_TRUE(Utf8ToShiftJis(GetParam().utf8, shiftJis));
    EXPECT_EQ(shiftJis, GetParam().shiftJis);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CodePage,
    ::testing::Values(Conversion{"", ""}, Conversion{"\\~A", "\\~A"},        // code page 932: no yen sign
                      Conversion{kCam1, "ＣＡＭ１"}, Conversion{"\x81\x40", "\u3000"},
                      Conversion{"\x81\x60", "\uff5e"},                      // the wave dash as Windows has it
                      Conversion{"\x87\x40", "\u2460"},                      // NEC row 13: circled one
                      Conversion{"\xfa\x5c", "\u7e8a"},                      // IBM extension
                      Conversion{"\xb1", "\uff71"}));                        // half-width katakana

TEST(CodePage, RefusesWhatHasNoCode)
{
    std::string out = "kept?";
    EXPECT_FALSE(ShiftJisToUtf8("\x82\x62\x81\x7f", out));   // 0x7F is no trail byte
    EXPECT_FALSE(ShiftJisToUtf8("\x82", out));               // a lead byte alone
    EXPECT_FALSE(Utf8ToShiftJis("caf\xc3\xa9", out));        // é: no best fit to "e"
    EXPECT_FALSE(Utf8ToShiftJis("\xf0\x9f\x98\x80", out));   // an emoji
    EXPECT_FALSE(Utf8ToShiftJis("\xc3", out));               // no UTF-8
    // The NEC-selected duplicate comes back as the IBM code.
    ASSERT_TRUE(ShiftJisToUtf8("\xed\x40", out));
    ASSERT_TRUE(Utf8ToShiftJis(out, out));
    EXPECT_EQ(out, "\xfa\x5c");
}

TEST(TitleTable, WritesEveryChannelUnderTheHeader)
{
    DeviceModelData m = StartModel();
    SetTitle(m, 3, "A,\"B\"");   // half-width, as the title edit can keep
    m.TitleDisplayInput[3] = 0;
    m.TitlePosition[3] = 1;
    m.TitleFontSize[3] = 2;
    std::string table;
    std::vector<std::string> problems;
    ASSERT_TRUE(FormatTitleTable(m, table, problems));
    const std::string expected = kHeader +
                                 "1,お買い上げいただきありがとうございます。,on,bottom,M\r\n"
                                 "2,\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000ＣＨ０２,on,bottom,M\r\n"
                                 "3,\"A,\"\"B\"\"\",on,bottom,M\r\n"
                                 "4,\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000ＣＨ０４,off,top,S\r\n";
    EXPECT_EQ(table.substr(0, expected.size()), expected);
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 65);
    EXPECT_TRUE(table.size() >= 2 && table.compare(table.size() - 2, 2, "\r\n") == 0);
}

TEST(TitleTable, WritesNothingForATitleThatIsNoShiftJis)
{
    DeviceModelData m = StartModel();
    SetTitle(m, 7, "\x82\x62\x81\x7f");
    std::string table;
    std::vector<std::string> problems;
    EXPECT_FALSE(FormatTitleTable(m, table, problems));
    EXPECT_EQ(problems, std::vector<std::string>{"the title of channel 7 is no Shift-JIS text (\"Ｃ\\x81\\x7F\"), "
                                                 "so it cannot be written as UTF-8"});
}

TEST(TitleTable, AppliesRowsInAnyOrderAndKeepsChannelsWithoutARow)
{
    DeviceModelData m = StartModel();
    const DeviceModelData before = m;
    // Columns in another order, a byte order mark, LF line ends and a blank line.
    const TitleTableRead read = Apply("\xef\xbb\xbfsize,channel,title,display,position\n"
                                      "s,64,ＣＡＭ２,OFF,Top\n"
                                      "\n"
                                      "L,12,\"ＣＡＭ１\",on,bottom\n"
                                      "M,5,,on,bottom",
                                      m);
    EXPECT_TRUE(read.problems.empty());
    EXPECT_EQ(read.rows, 3);
    DeviceModelData expected = before;
    SetTitle(expected, 64, kCam2);
    expected.TitleDisplayInput[63] = 0;
    expected.TitlePosition[63] = 1;
    expected.TitleFontSize[63] = 2;
    SetTitle(expected, 12, kCam1);
    expected.TitleFontSize[11] = 0;
    SetTitle(expected, 5, "");
    EXPECT_TRUE(SameModel(m, expected));
}

struct BadTable {
    const char* name;
    std::string table;
    std::vector<std::string> problems;   // "line: reason"
};

class BadTables : public ::testing::TestWithParam<BadTable> {};

TEST_P(BadTables, AreRefusedWholeWithEveryBadCell)
{
    DeviceModelData m = StartModel();
    SetTitle(m, 2, "ABC");   // a title the unit cannot show, in the file already
    const DeviceModelData before = m;
    const TitleTableRead read = Apply(GetParam().table, m);
    std::vector<std::string> problems;
    for (const TableProblem& p : read.problems)
        problems.push_back(std::to_string(p.line) + ": " + p.reason);
    EXPECT_EQ(problems, GetParam().problems);
    EXPECT_TRUE(SameModel(m, before));
}

const std::string kGoodRow = "1,ＣＡＭ１,on,top,M\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, BadTables,
    ::testing::Values(
        BadTable{"empty", "", {"1: the table is empty: the first line must be the header "
                               "channel,title,display,position,size"}},
        BadTable{"no_header", kGoodRow, {"1: the first line must be the header channel,title,display,position,size; "
                                         "it has the column \"1\""}},
        BadTable{"missing_column", "channel,title,display,position\r\n",
                 {"1: the first line must be the header channel,title,display,position,size; it has no column size"}},
        BadTable{"twice_a_column", "channel,title,display,position,size,size\r\n",
                 {"1: the first line must be the header channel,title,display,position,size; "
                  "it has the column size twice"}},
        BadTable{"cells", kHeader + kGoodRow + "65,ＣＡＭ１,yes,middle,XL\r\n" + "x,,on,top,M\r\n",
                 {"3: channel \"65\" is not 1..64", "3: display \"yes\" is neither on nor off",
                  "3: position \"middle\" is neither top nor bottom", "3: size \"XL\" is not L, M or S",
                  "4: channel \"x\" is not 1..64"}},
        BadTable{"twice", kHeader + kGoodRow + "\r\n" + "2,\"ＣＡ\nＭ\",on,top,M\r\n" + "01,ＣＡＭ２,on,top,M\r\n",
                 {"4: the unit cannot show \"\\x0A\" in a title (only full-width JIS X 0208 characters)",
                  "6: channel 1 is given twice (first on line 2)"}},
        BadTable{"shape", kHeader + "1,ＣＡＭ１,on,top\r\n" + "2,Ａ,Ｂ,on,top,M\r\n" + "3,ＣＡ\"Ｍ\",on,top,M\r\n" +
                              "4,\"ＣＡＭ\"Ｘ,on,top,M\r\n" + kGoodRow + "5,\"ＣＡＭ,on,top,M\r\n" + kGoodRow,
                 {"2: too few cells: a row has 5 (channel,title,display,position,size)",
                  "3: too many cells: a row has 5 (channel,title,display,position,size); quote a title that holds a comma",
                  "4: a quote inside a cell that does not begin with one (quote the whole cell and double its quotes)",
                  "5: text follows the closing quote of a cell", "7: a quoted cell is not closed"}},
        BadTable{"nul", kHeader + kGoodRow + std::string("2,\0,on,top,M\r\n", 14), {"3: the line holds a NUL byte"}},
        BadTable{"titles",
                 kHeader + "1,ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ０１２,on,top,M\r\n" +
                     "3,ＣＡＭ A,on,top,M\r\n" + "4,ＣＡＭ＊,on,top,M\r\n" + "5,ＣＡＭ\xf0\x9f\x98\x80,on,top,M\r\n" +
                     "6,\xc3(,on,top,M\r\n" + "7,ABC,on,top,M\r\n" + "2,ABC,on,top,M\r\n",
                 {"2: the title is 58 bytes in Shift-JIS; a title holds at most 56 (28 full-width characters)",
                  "3: the unit cannot show \" \" in a title (only full-width JIS X 0208 characters)",
                  "4: a title cannot hold \"＊\": the settings file reads it back as a full-width space",
                  "5: the title holds \"\xf0\x9f\x98\x80\", which has no Shift-JIS code",
                  "6: the title is not UTF-8 text",
                  "7: the unit cannot show \"A\" in a title (only full-width JIS X 0208 characters)"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TitleTable, ATableWrittenAndReadBackChangesNothing)
{
    // Titles the unit cannot show, and one that code page 932 writes back
    // with another code, are the channels' own: kept as they are.
    DeviceModelData m = StartModel();
    SetTitle(m, 2, "ABC");
    SetTitle(m, 3, "\xed\x40\xed\x41");
    SetTitle(m, 4, "");
    m.TitleDisplayInput[4] = 0;
    const DeviceModelData before = m;
    std::string table;
    std::vector<std::string> problems;
    ASSERT_TRUE(FormatTitleTable(m, table, problems));
    const TitleTableRead read = Apply(table, m);
    EXPECT_TRUE(read.problems.empty());
    EXPECT_EQ(read.rows, 64);
    EXPECT_TRUE(SameModel(m, before));

    // The same table carries those titles into another settings set: checked there.
    DeviceModelData other = StartModel();
    const TitleTableRead into = Apply(table, other);
    ASSERT_EQ(into.problems.size(), 1u);
    EXPECT_EQ(into.problems[0].line, 3);
    EXPECT_EQ(std::string(other.TitleText[1]), std::string(StartModel().TitleText[1]));
}

TEST(TitleTable, ShownTitleEscapesWhatIsNoShiftJis)
{
    EXPECT_EQ(ShownTitle(kCam1), "ＣＡＭ１");
    EXPECT_EQ(ShownTitle("\x82\x62\x81\x7f\x41"), "Ｃ\\x81\\x7FA");
}

} // namespace
