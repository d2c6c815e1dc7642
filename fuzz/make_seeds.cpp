// Writes the seed corpora of the fuzz targets into DIR/<target>/: what the
// writers of each input produce. Replies come from the simulator answering
// every read the program sends (and the reads of what it only writes), files
// from the settings and glyph file writers, configuration values from their
// formatters, titles tables from the tool's writer. Usage: kvr_fuzz_seeds DIR
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/config_values.h"
#include "cli/title_table.h"
#include "cli/utf8.h"
#include "files/glyph_file.h"
#include "files/settings_file.h"
#include "fuzz_support.h"
#include "protocol/device_model.h"
#include "protocol/glyph.h"
#include "sim/command_interpreter.h"
#include "sim/unit_state.h"

namespace {

std::filesystem::path Root;
int Written = 0;

void Seed(const char* target, const std::string& bytes)
{
    const std::filesystem::path folder = Root / target;
    std::filesystem::create_directories(folder);
    char name[16];
    snprintf(name, sizeof name, "seed%04d", Written++);
    FILE* file = fopen((folder / name).string().c_str(), "wb");
    if (!file || fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || fclose(file) != 0) {
        fprintf(stderr, "kvr_fuzz_seeds: cannot write %s\n", (folder / name).string().c_str());
        exit(1);
    }
}

const char* const kReads[] = {
    "ROP", "ROP01", "ROP32", "RSP01", "RSP32", "ROE", "ROS", "ROCD", "RVL",
    "RAIP", "RADT", "RABOO", "RADO", "RARO", "RAIN", "RAOM", "RAOS",
    "RTSDR", "RTSDS", "RTSI", "RTSO", "RCT01", "RCT64", "RCTI", "RCTO", "RCTPI", "RCTSI",
    "RCTAT", "RCTAB", "RPMO", "RPOO", "RPN",
    "REIA", "REGA", "REAA", "RESM", "RECT", "RETR", "REDPN", "RESPN", "REKA", "REMA", "RVN",
};

void ReplySeeds()
{
    auto unit = std::make_unique<SimUnit>();
    ResetSimUnit(*unit, SimUnitSetup(), 0, 0);
    std::vector<std::string> reads(std::begin(kReads), std::end(kReads));
    for (const char letter : {'S', 'M', 'L'})
        reads.push_back(std::string("RFBM") + letter + kFuzzGlyphCode);

    for (const SimLinkKind link : {kSimLinkSerial, kSimLinkTcp}) {
        for (const std::string& read : reads) {
            UnitReply reply{};
            if (InterpretCommand(*unit, read.c_str(), static_cast<int>(read.size()), link, true, 0, reply) !=
                kCommandRead) {
                fprintf(stderr, "kvr_fuzz_seeds: the simulator refused %s\n", read.c_str());
                exit(1);
            }
            const std::string text(reply.text, static_cast<size_t>(reply.length));
            if (link == kSimLinkSerial) {
                Seed("serial_reply_fuzzer", std::string(1, '\0') + text);
                const char rs485 = static_cast<char>(kFuzzRs485 | (5 << kFuzzAddressShift));
                Seed("serial_reply_fuzzer", std::string(1, rs485) + "05" + text);
            } else {
                Seed("dialog_reply_fuzzer", std::string(1, '\0') + text);
                Seed("dialog_reply_fuzzer", std::string(1, '\x07') + text);
            }
        }
    }
    for (const char* word : {"GO", "E3", "MENU", "ALARM", "LOCK", "GN", "E0", "E1", "E2"}) {
        UnitReply reply{};
        WriteStatusReply(word, reply);
        const std::string text(reply.text, static_cast<size_t>(reply.length));
        Seed("serial_reply_fuzzer", std::string(1, static_cast<char>(kFuzzBusy)) + text);
        Seed("dialog_reply_fuzzer", std::string(1, '\0') + text);
    }
}

void SettingsSeeds()
{
    auto model = std::make_unique<DeviceModelData>();
    ResetModelToStartValues(*model);
    std::string text;
    FormatSettingsFile(*model, text);
    Seed("settings_file_fuzzer", text);

    // Every field at the far end of its range, an empty title and a full one.
    DeviceModelData& m = *model;
    m.CurrentDisplayPattern = kFreePattern;
    for (auto& row : m.DisplayPatternTable)
        for (int& cell : row)
            cell = m.ChannelCount + kPatternCount - 1;
    for (auto& row : m.AutoSwitchPatternTable)
        for (int& dwell : row)
            dwell = kMaxDwellTime;
    m.AlarmSettings.holdTime = 0;
    m.AlarmInputChannel[0] = m.ChannelCount - 1;
    m.DateTimeFormat = kDateTimeFormats - 1;
    m.TitleText[0][0] = '\0';
    for (int i = 0; i < kTitleMaxBytes; i += 2) {
        m.TitleText[1][i] = '\x82';
        m.TitleText[1][i + 1] = '\xa0';
    }
    m.TitleFontSize[0] = 2;
    m.TitleFineTop = kFineSteps - 1;
    snprintf(m.PanelLock.password, sizeof m.PanelLock.password, "%s", "123456");
    m.UnitNetwork.ipAddress[0] = 255;
    FormatSettingsFile(m, text);
    Seed("settings_file_fuzzer", text);

    // The same with LF line ends, which the reader takes too.
    std::string lf;
    for (const char c : text)
        if (c != '\r')
            lf += c;
    Seed("settings_file_fuzzer", lf);
}

void GlyphSeeds()
{
    unsigned char bitmap[kGlyphBitmapBytes];
    for (int i = 0; i < kGlyphBitmapBytes; ++i)
        bitmap[i] = static_cast<unsigned char>(i * 37);
    for (const int sizeType : {kGlyphLarge, kGlyphMedium, kGlyphSmall}) {
        std::string text;
        FormatGlyphFile(bitmap, sizeType, text);
        Seed("glyph_file_fuzzer", std::string(1, static_cast<char>(sizeType)) + text);
    }
}

void ConfigSeeds()
{
    for (const int number : {1, 2, 256}) {
        char key[8];
        FormatHostKey(number, key);
        Seed("config_values_fuzzer", key);
    }
    const int addresses[][4] = {{127, 0, 0, 1}, {192, 168, 1, 2}, {255, 255, 255, 0}};
    for (const auto& octets : addresses) {
        char text[16];
        FormatHostAddress(octets, text);
        Seed("config_values_fuzzer", text);
    }
    for (const char* value : {"0", "1", "9004", "065535", " +42", "-1", "2147483648"})
        Seed("config_values_fuzzer", value);
}

void TitleTableSeeds()
{
    auto model = std::make_unique<DeviceModelData>();
    ResetModelToStartValues(*model);
    std::string table;
    std::vector<std::string> problems;
    if (!FormatTitleTable(*model, table, problems, true)) {
        fprintf(stderr, "kvr_fuzz_seeds: the start titles make no table\n");
        exit(1);
    }
    Seed("title_table_fuzzer", table);

    // Other values, an empty title, and a title that needs quoting (which
    // the unit cannot show), no byte order mark; the same in code page 932;
    // LF line ends; a few rows, columns reordered, and what spreadsheets add:
    // empty cells after the last column and rows of empty cells.
    DeviceModelData& m = *model;
    m.TitleText[0][0] = '\0';
    snprintf(m.TitleText[2], kTitleSlotBytes, "%s", "\"A\",B");
    m.TitleDisplayInput[3] = 0;
    m.TitlePosition[3] = 1;
    m.TitleFontSize[3] = 0;
    m.TitleFontSize[4] = 2;
    std::string codePage;
    if (!FormatTitleTable(m, table, problems, false) || !Utf8ToShiftJis(table, codePage)) {
        fprintf(stderr, "kvr_fuzz_seeds: the changed titles make no table\n");
        exit(1);
    }
    Seed("title_table_fuzzer", table);
    Seed("title_table_fuzzer", codePage);
    std::string lf;
    for (const char c : table)
        if (c != '\r')
            lf += c;
    Seed("title_table_fuzzer", lf);
    Seed("title_table_fuzzer", "\xef\xbb\xbfsize,position,display,title,channel\n"
                               "S,top,off,\"\xef\xbc\xa3\xef\xbc\xa1\xef\xbc\xad\",64\n\n"
                               "l,Bottom,ON,,1\n");
    Seed("title_table_fuzzer", "channel,title,display,position,size,,\r\n"
                               "3,\x82\x62\x82\x60\x82\x6c,on,top,M,,\r\n"
                               ",,,,,,\r\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: kvr_fuzz_seeds DIR\n");
        return 2;
    }
    Root = argv[1];
    ReplySeeds();
    SettingsSeeds();
    GlyphSeeds();
    ConfigSeeds();
    TitleTableSeeds();
    // A late reply of address 00 before unit 05's own, in pieces of 3.
    Seed("bus_reply_fuzzer", std::string("\x05\x02") + "00GO\r\n05OP03\r\n05GO\r\n");
    Seed("bus_reply_fuzzer", std::string("\x1f\xff") + "31E3\r\n30OPFR\r\nGO\r\n");
    printf("kvr_fuzz_seeds: %d seeds in %s\n", Written, Root.string().c_str());
    return 0;
}
