// The titles table: CSV records, the Shift-JIS code page both ways, the
// table written from a model, and a table read into one: all of it or none,
// every bad cell with its line; tables as spreadsheets and Python write them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "cli/csv.h"
#include "cli/title_table.h"
#include "cli/utf8.h"
#include "protocol/cp932.h"

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
        // A quote left open, or closed on a later line and followed by text:
        // the lines after the one it opens on are read again.
        CsvCase{"open_quote", "x\n\"open\nmore", {"1: x", "2: a quoted cell opens on this line and is never closed",
                                                   "3: more"}},
        CsvCase{"stray_quote",
                "\"a\nb\"c\nd",
                {"1: a quoted cell opens on this line and closes on line 2, where text follows its closing quote",
                 "2: a quote inside a cell that does not begin with one (quote the whole cell and double its quotes)",
                 "3: d"}}),
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
                      Conversion{"\xb1", "\uff71"},                          // half-width katakana
                      Conversion{"\x80\xa0\xfd", "\u0080\uf8f0\uf8f1"},      // Microsoft's single bytes
                      Conversion{"\xf0\x40\xf9\xfc", "\ue000\ue757"}));      // user-defined, first and last

TEST(CodePage, RefusesWhatHasNoCode)
{
    std::string out = "kept";
    EXPECT_FALSE(ShiftJisToUtf8("\x82\x62\x81\x7f", out));   // 0x7F is no trail byte
    EXPECT_FALSE(ShiftJisToUtf8("\x82", out));               // a lead byte alone
    EXPECT_FALSE(ShiftJisToUtf8("\x85\x40", out));           // a row code page 932 leaves empty
    EXPECT_FALSE(Utf8ToShiftJis("caf\xc3\xa9", out));        // é: no best fit to "e"
    EXPECT_FALSE(Utf8ToShiftJis("\u2014", out));             // EM DASH: Windows' 0x815C is U+2015
    EXPECT_FALSE(Utf8ToShiftJis("\xf0\x9f\x98\x80", out));   // an emoji
    EXPECT_FALSE(Utf8ToShiftJis("\xc3", out));               // no UTF-8
    EXPECT_EQ(out, "kept");
}

// A character with two or three codes is written with the code Windows
// writes: JIS X 0208, else NEC row 13, else the IBM extension.
TEST(CodePage, WritesTheCodeWindowsWritesForADuplicate)
{
    const std::pair<std::string, std::string> cases[] = {
        {"\xed\x40", "\xfa\x5c"},   // NEC-selected IBM: the IBM code
        {"\xee\xef", "\xfa\x40"},   // small roman numeral one
        {"\xfa\x4a", "\x87\x54"},   // roman numeral one: NEC row 13
        {"\xfa\x58", "\x87\x8a"},   // ㈱
        {"\x87\x90", "\x81\xe0"},   // ≒: JIS X 0208
        {"\xee\xf9", "\x81\xca"},   // ￢
    };
    for (const auto& [read, written] : cases) {
        std::string text;
        ASSERT_TRUE(ShiftJisToUtf8(read, text));
        ASSERT_TRUE(Utf8ToShiftJis(text, text));
        EXPECT_EQ(text, written);
    }
}

// The JIS X 0208 characters Windows maps elsewhere are taken one way: the
// code reads back as Windows' character.
TEST(CodePage, TakesTheJisCharactersThatWindowsMapsElsewhere)
{
    const char* const cases[][3] = {
        // typed, code, read back
        {"\u2212", "\x81\x7c", "\uff0d"}, {"\u301c", "\x81\x60", "\uff5e"}, {"\u2016", "\x81\x61", "\u2225"},
        {"\u00a2", "\x81\x91", "\uffe0"}, {"\u00a3", "\x81\x92", "\uffe1"}, {"\u00ac", "\x81\xca", "\uffe2"},
    };
    for (const auto& c : cases) {
        std::string code, back;
        ASSERT_TRUE(Utf8ToShiftJis(c[0], code)) << c[0];
        EXPECT_EQ(code, c[1]);
        ASSERT_TRUE(ShiftJisToUtf8(code, back));
        EXPECT_EQ(back, c[2]);
    }
}

// Every code Windows decodes (196 single bytes and 9604 pairs, as Python's
// cp932 codec counts them) has a character whose code means it again.
TEST(CodePage, EveryCodeHasACharacterThatEncodesBackToIt)
{
    int codes = 0;
    for (uint32_t code = 0; code <= 0xFFFF; ++code) {
        uint16_t character, written, again;
        if (!Cp932ToUnicode(static_cast<uint16_t>(code), character))
            continue;
        ++codes;
        ASSERT_TRUE(UnicodeToCp932(character, written)) << code;
        ASSERT_TRUE(Cp932ToUnicode(written, again)) << code;
        EXPECT_EQ(again, character) << code;
    }
    EXPECT_EQ(codes, 9800);
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
    ASSERT_TRUE(FormatTitleTable(m, table, problems, false));
    const std::string expected = kHeader +
                                 "1,お買い上げいただきありがとうございます。,on,bottom,M\r\n"
                                 "2,\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000ＣＨ０２,on,bottom,M\r\n"
                                 "3,\"A,\"\"B\"\"\",on,bottom,M\r\n"
                                 "4,\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000ＣＨ０４,off,top,S\r\n";
    EXPECT_EQ(table.substr(0, expected.size()), expected);
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 65);
    EXPECT_TRUE(table.size() >= 2 && table.compare(table.size() - 2, 2, "\r\n") == 0);
}

TEST(TitleTable, BeginsWithAByteOrderMarkWhenAsked)
{
    const DeviceModelData m = StartModel();
    for (const bool mark : {true, false}) {
        std::string table;
        std::vector<std::string> problems;
        ASSERT_TRUE(FormatTitleTable(m, table, problems, mark));
        const std::string start = mark ? "\xef\xbb\xbf" "channel,title,display,position,size\r\n1,"
                                       : "channel,title,display,position,size\r\n1,";
        EXPECT_EQ(table.substr(0, start.size()), start);
    }
}

TEST(TitleTable, WritesNothingForATitleThatIsNoShiftJis)
{
    DeviceModelData m = StartModel();
    SetTitle(m, 7, "\x82\x62\x81\x7f");
    std::string table;
    std::vector<std::string> problems;
    EXPECT_FALSE(FormatTitleTable(m, table, problems, true));
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
    EXPECT_EQ(read.encoding, TableEncoding::kUtf8);
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
    TableEncoding encoding = TableEncoding::kUtf8;
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
    EXPECT_EQ(read.encoding, GetParam().encoding);
    EXPECT_TRUE(SameModel(m, before));
}

const std::string kGoodRow = "1,ＣＡＭ１,on,top,M\r\n";
const std::string kSpaces = "\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000";   // of the start titles
const std::string kFullWidthOnly =
    " in a title (full-width characters only: JIS X 0208 and the NEC and IBM extensions)";

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
                 {"4: title 2 \"ＣＡ\\x0AＭ\" (the settings file holds \"ABC\"): the unit cannot show \"\\x0A\"" +
                      kFullWidthOnly,
                  "6: channel 1 is given twice (first on line 2)"}},
        BadTable{"shape", kHeader + "1,ＣＡＭ１,on,top\r\n" + "2,Ａ,Ｂ,on,top,M\r\n" + "3,ＣＡ\"Ｍ\",on,top,M\r\n" +
                              "4,\"ＣＡＭ\"Ｘ,on,top,M\r\n" + kGoodRow + "5,\"ＣＡＭ,on,top,M\r\n" + kGoodRow,
                 {"2: too few cells: a row has 5 (channel,title,display,position,size)",
                  "3: too many cells: a row has 5 (channel,title,display,position,size); quote a title that holds a comma",
                  "4: a quote inside a cell that does not begin with one (quote the whole cell and double its quotes)",
                  "5: text follows the closing quote of a cell",
                  "7: a quoted cell opens on this line and is never closed",
                  "8: channel 1 is given twice (first on line 6)"}},
        BadTable{"nul", kHeader + kGoodRow + std::string("2,\0,on,top,M\r\n", 14), {"3: the line holds a NUL byte"},
                 TableEncoding::kNone},
        BadTable{"titles",
                 kHeader + "1,ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ０１２,on,top,M\r\n" +
                     "3,ＣＡＭ A,on,top,M\r\n" + "4,ＣＡＭ＊,on,top,M\r\n" + "5,ＣＡＭ\xf0\x9f\x98\x80,on,top,M\r\n" +
                     "7,ABC,on,top,M\r\n" + "99,ＣＡＭ＊,on,top,M\r\n" + "2,ABC,on,top,M\r\n",
                 {"2: title 1 \"ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ０１２\" (the settings file holds "
                  "\"お買い上げいただきありがとうございます。\"): it is 58 bytes in Shift-JIS; a title holds at most 56 "
                  "(28 full-width characters)",
                  "3: title 3 \"ＣＡＭ A\" (the settings file holds \"" + kSpaces + "ＣＨ０３\"): the unit cannot show \" \"" +
                      kFullWidthOnly,
                  "4: title 4 \"ＣＡＭ＊\" (the settings file holds \"" + kSpaces + "ＣＨ０４\"): a title cannot hold "
                  "\"＊\": the settings file reads it back as a full-width space",
                  "5: title 5 \"ＣＡＭ\xf0\x9f\x98\x80\" (the settings file holds \"" + kSpaces + "ＣＨ０５\"): "
                  "\"\xf0\x9f\x98\x80\" has no Shift-JIS code",
                  "6: title 7 \"ABC\" (the settings file holds \"" + kSpaces + "ＣＨ０７\"): the unit cannot show \"A\"" +
                      kFullWidthOnly,
                  "7: channel \"99\" is not 1..64",
                  "7: title \"ＣＡＭ＊\": a title cannot hold \"＊\": the settings file reads it back as a full-width "
                  "space"}},
        // Not UTF-8: read as code page 932, the messages in UTF-8.
        BadTable{"code_page_932", kHeader + "12,\x82\x62\x82\x60\x82\x6c,on,top,M\r\n" + "13,\xb6\xd2\xd7,on,top,M\r\n",
                 {"3: title 13 \"ｶﾒﾗ\" (the settings file holds \"" + kSpaces + "ＣＨ１３\"): the unit cannot show \"ｶ\"" +
                      kFullWidthOnly},
                 TableEncoding::kCodePage932},
        BadTable{"neither", kHeader + kGoodRow + "2,\x82\x62\x81\x7f,on,top,M\r\n",
                 {"3: the line is neither UTF-8 nor code page 932 (Shift-JIS) text"}, TableEncoding::kNone},
        BadTable{"mixed", kHeader + kGoodRow + "2,\x82\x62,on,top,M\r\n",
                 {"3: the line is code page 932 (Shift-JIS) text, but line 2 is UTF-8: a table is all one or all the "
                  "other"},
                 TableEncoding::kNone}),
    [](const auto& info) { return std::string(info.param.name); });

// Tables as other programs write them (tests/cli/fixtures/, bytes made with
// Python):
// - libreoffice_utf8_bom.csv: LibreOffice Calc's "Text CSV" in UTF-8 with a
//   byte order mark, LF line ends, two empty columns after the last.
// - libreoffice_cp932.csv: the same in "Japanese (Windows-932)" with CR LF,
//   as on Windows (and as Excel's "CSV" on a Japanese Windows): code page
//   932, a NEC row 13 character (①) and an IBM extension one (髙, 0xFBFC).
// - python_csv.csv: Python's csv.writer with its defaults: CR LF, quotes only
//   where a cell needs them (the channel's own half-width title).
// - empty_last_row.csv: rows of empty cells between rows and as the last line.
// - unclosed_quote.csv: a stray quote never closed, then a row with a bad size.
// - minus_sign.csv: a title typed with U+2212 MINUS SIGN.
struct FixtureRow {
    int channel;
    std::string title;   // as the settings file holds it: Shift-JIS
    int display, position, size;
};

struct Fixture {
    const char* file;
    TableEncoding encoding;
    int rows;
    std::vector<FixtureRow> changed;     // with no problems
    std::vector<std::string> problems;   // "line: reason"
};

class Fixtures : public ::testing::TestWithParam<Fixture> {};

TEST_P(Fixtures, ReadAsTheirWriterMeantThem)
{
    std::ifstream file(std::string(KVR_CLI_FIXTURES) + "/" + GetParam().file, std::ios::binary);
    const std::string table{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(table.empty()) << GetParam().file;
    DeviceModelData m = StartModel();
    SetTitle(m, 2, "A,\"B\"");
    DeviceModelData expected = m;
    for (const FixtureRow& row : GetParam().changed) {
        SetTitle(expected, row.channel, row.title.c_str());
        expected.TitleDisplayInput[row.channel - 1] = row.display;
        expected.TitlePosition[row.channel - 1] = row.position;
        expected.TitleFontSize[row.channel - 1] = row.size;
    }
    const TitleTableRead read = Apply(table, m);
    std::vector<std::string> problems;
    for (const TableProblem& p : read.problems)
        problems.push_back(std::to_string(p.line) + ": " + p.reason);
    EXPECT_EQ(problems, GetParam().problems);
    EXPECT_EQ(read.encoding, GetParam().encoding);
    EXPECT_EQ(read.rows, GetParam().rows);
    EXPECT_TRUE(SameModel(m, expected));
}

INSTANTIATE_TEST_SUITE_P(
    Files, Fixtures,
    ::testing::Values(
        Fixture{"libreoffice_utf8_bom.csv", TableEncoding::kUtf8, 3,
                {{1, kCam1, 1, 1, 1}, {2, "\x83\x8d\x83\x72\x81\x5b", 0, 0, 0}, {64, "", 1, 0, 2}}, {}},
        Fixture{"libreoffice_cp932.csv", TableEncoding::kCodePage932, 2,
                {{3, "\x8c\xba\x8a\xd6\x87\x40", 1, 1, 1}, {4, "\xfb\xfc\x8b\xb4", 1, 0, 2}}, {}},
        Fixture{"python_csv.csv", TableEncoding::kUtf8, 2,
                {{2, "A,\"B\"", 1, 0, 1}, {5, "\x82\x62\x82\x60\x82\x6c\x82\x54", 1, 1, 2}}, {}},
        Fixture{"empty_last_row.csv", TableEncoding::kUtf8, 2,
                {{6, "\x82\x62\x82\x60\x82\x6c\x82\x55", 1, 1, 1}, {7, "\x82\x62\x82\x60\x82\x6c\x82\x56", 0, 1, 1}},
                {}},
        Fixture{"unclosed_quote.csv", TableEncoding::kUtf8, 3, {},
                {"2: a quoted cell opens on this line and is never closed", "3: size \"XL\" is not L, M or S"}},
        Fixture{"minus_sign.csv", TableEncoding::kUtf8, 1,
                {{10, "\x82\x62\x82\x67\x81\x7c\x82\x50\x82\x4f", 1, 1, 1}}, {}}),
    [](const auto& info) {
        const std::string file = info.param.file;
        return file.substr(0, file.find('.'));
    });

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
    ASSERT_TRUE(FormatTitleTable(m, table, problems, true));
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
