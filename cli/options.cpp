#include "cli/options.h"

#include <cerrno>
#include <cstdlib>

#include "link/link_state.h"
#include "link/tcp_state.h"
#include "sim/command_line.h"
#include "kvr_version.h"

ToolOptions::ToolOptions() : address(kNoAddressPrefix) {}

namespace {

const char kToolHelp[] =
    "kvr2840e-cli: reads and sets whole settings files (*.dat) on KVR2840E units,\n"
    "one unit or up to 96 at once, with the wire texts and pacing of the\n"
    "configuration program; edits the titles of a settings file as a table and\n"
    "compares settings files, offline.\n"
    "\n"
    "Usage:\n"
    "  kvr2840e-cli read-all LINK -o FILE.dat [--force]\n"
    "  kvr2840e-cli set-all FILE.dat LINK\n"
    "  kvr2840e-cli verify FILE.dat LINK\n"
    "  kvr2840e-cli send LINK TEXT\n"
    "  kvr2840e-cli provision FILE.dat LINK [--sections LIST] [--clock] [--dry-run]\n"
    "  kvr2840e-cli titles export FILE.dat [-o TITLES.csv [--force]] [--no-bom]\n"
    "  kvr2840e-cli titles import FILE.dat TITLES.csv [-o NEW.dat [--force]]\n"
    "  kvr2840e-cli diff A.dat B.dat [--json]\n"
    "  kvr2840e-cli report FILE.dat [-o REPORT.html [--force]] [--compare OTHER.dat]\n"
    "  kvr2840e-cli SUB-COMMAND --help\n"
    "\n"
    "LINK:\n"
    "  --serial DEVICE [--address N|LIST|broadcast]\n"
    "                     a serial port at 9600 baud 8E1 (/dev/ttyUSB0, COM3); with\n"
    "                     --address an RS-485 bus, each command after the unit's\n"
    "                     two-digit address (00..31) or FF for broadcast; a LIST\n"
    "                     (0,5,7 or 0-15) runs the sub-command on each of those\n"
    "                     units in turn, one result per unit\n"
    "  --tcp HOST:PORT    connect to one unit\n"
    "  --listen PORT --units N [--wait SECONDS]\n"
    "                     be the server that units connect to (PORT 0: any free\n"
    "                     port, printed); every unit that connects, up to 96, runs\n"
    "                     the sub-command on its own connection, all at once; wait\n"
    "                     at most SECONDS (default 60) for the N units\n"
    "\n"
    "Options:\n"
    "  --pace-ms MS       one step every MS ms (default: 300 for read all, 400 for\n"
    "                     set all, as the program; provision: as soon as the reply\n"
    "                     is in); never sooner than the reply\n"
    "  --json             a summary on stdout a script can read\n"
    "  --help             show this text (SUB-COMMAND --help: that sub-command's)\n"
    "  --version          show the version\n"
    "\n"
    "Exit codes: 0 all done (diff: the files hold the same settings), 1 a unit\n"
    "failed or differs (diff: the files differ), 2 bad usage or a file that cannot\n"
    "be read or written, 3 a link could not be opened.\n";

const char kReadAllHelp[] =
    "kvr2840e-cli read-all LINK -o FILE.dat [--force] [--pace-ms MS] [--json]\n"
    "\n"
    "Reads the current display pattern, the 32 display patterns, the 32 auto-switch\n"
    "patterns and the video outputs (66 reads, one every 300 ms) into a fresh set of\n"
    "settings and writes it as FILE.dat. Every other setting in the file (alarms,\n"
    "date and time, titles, panel lock, network, the FREE layout) keeps its start\n"
    "value: read all does not read them.\n"
    "\n"
    "The file is written to a temporary file beside it and renamed into place only\n"
    "when the whole read succeeded. An existing FILE.dat is replaced only with\n"
    "--force. With --listen and more than one unit, each unit's file is FILE-NN.dat,\n"
    "NN the unit's number in the order the units connected (01..96).\n"
    "Read all asks addressed units only: --address broadcast is refused.\n";

const char kSetAllHelp[] =
    "kvr2840e-cli set-all FILE.dat LINK [--pace-ms MS] [--json]\n"
    "\n"
    "Sends the settings of FILE.dat in 67 steps, one every 400 ms: the recall of the\n"
    "file's current display pattern, that layout's 16 sources, the 32 display\n"
    "patterns, the 32 auto-switch patterns and the video outputs. A file that\n"
    "cannot be read is refused, with its line number, before anything is sent.\n";

const char kVerifyHelp[] =
    "kvr2840e-cli verify FILE.dat LINK [--pace-ms MS] [--json]\n"
    "\n"
    "Reads all (as read-all) and compares what the unit holds with FILE.dat: the\n"
    "current display pattern, display patterns 1..32, the auto-switch patterns and\n"
    "the video outputs. Each difference is one line on stdout, named as the unit's\n"
    "panel and the dialogs name it:\n"
    "  display pattern 3, output 5: I07 in the file, I12 on the unit\n"
    "A display source is I and the input (I01..I64) or S and the auto-switch\n"
    "pattern (S01..S32), as on the wire. The exit code is 1 when there is a\n"
    "difference. With --json each difference keeps this line, its table, its index\n"
    "(1-based) and both raw values. The rest of the file (the FREE layout, alarms,\n"
    "date and time, titles, panel lock, network) is not compared, as read all does\n"
    "not read it; a line on stderr says so. Compare two files with diff.\n";

const char kSendHelp[] =
    "kvr2840e-cli send LINK TEXT [--json]\n"
    "\n"
    "Sends TEXT as one command (the line end is added; on RS-485 the address is put\n"
    "in front) and prints the unit's reply line. The exit code is 1 when no reply\n"
    "came within the program's time-out or the unit answered MENU, ALARM, LOCK, GN\n"
    "or E0..E3 (or a reply the program refuses). A broadcast has no reply.\n";

const char kProvisionHelp[] =
    "kvr2840e-cli provision FILE.dat LINK [--sections LIST] [--clock] [--dry-run] [--pace-ms MS]\n"
    "                   [--json]\n"
    "\n"
    "Sends every setting FILE.dat holds, with the commands of the program's \"設定\"\n"
    "and \"全設定\" buttons, section by section in this order:\n"
    "  routing        the 67 steps of set-all\n"
    "  alarms         AIP, ADT, ABOO, ADO, ARO\n"
    "  alarm-io       AIN, AOM and AOS, each for all entries\n"
    "  date-time      TSDR, TSDS, TSI and TSO for all entries (the display, not\n"
    "                 the clock)\n"
    "  titles         one CT a channel (64)\n"
    "  title-display  CTI, CTO, CTPI and CTSI for all entries, CTAT, CTAB\n"
    "  panel          PN, POO, PMO (the password first: a unit that refuses it is\n"
    "                 not left locked with its old one)\n"
    "  network        EIA, EGA, EAA, ESM, ECT, EKA (the network settings the\n"
    "                 file holds); serial links only, never to broadcast\n"
    "--sections takes a comma-separated LIST of these names, or all. The default\n"
    "is every section but panel and network: those can lock people out of a unit\n"
    "or move it off the network, so they go only when named. network over --tcp\n"
    "or --listen is refused (it would cut the link it travels on), and so is\n"
    "network to --address broadcast (every unit would take the same address).\n"
    "\n"
    "--clock also sets the unit's clock from this PC's local time, last: TSS00\n"
    "first, so that no field of the unit's running clock can roll over into the\n"
    "next while they arrive, then DSY, DSM, DSD, TSH, TSM and the PC's seconds\n"
    "(TSS), timed to land on the PC's whole second. When the PC's minute turns\n"
    "while they go out, the clock steps start again. The unit ends within a few\n"
    "milliseconds of the PC, also across midnight and New Year.\n"
    "\n"
    "Before anything is sent, every step is built and checked: a value any\n"
    "command refuses (an alarm hold time of 0, a title the unit cannot show, a\n"
    "password that is not six digits, ...) refuses the whole run with exit code 2,\n"
    "naming the setting and its line of the file. --dry-run prints the command\n"
    "lines that would go out, in order, one per line (each unit of a bus in turn,\n"
    "its address in front), and sends nothing.\n"
    "\n"
    "Each step goes as soon as the previous reply is in (--pace-ms MS for a slower\n"
    "pace). No unit answers a broadcast: there every step waits at least 400 ms\n"
    "and at least the time the line needs to carry it, whatever --pace-ms says.\n"
    "On a bus, a reply that carries another unit's address is reported on stderr\n"
    "and skipped. A unit that fails stops at its step, as set-all's do; the\n"
    "others go on.\n";

const char kTitlesHelp[] =
    "kvr2840e-cli titles export FILE.dat [-o TITLES.csv [--force]] [--no-bom]\n"
    "kvr2840e-cli titles import FILE.dat TITLES.csv [-o NEW.dat [--force]]\n"
    "\n"
    "The titles of the 64 input channels of a settings file as a table to edit in\n"
    "a spreadsheet: CSV (RFC 4180), the header line\n"
    "channel,title,display,position,size and one row per channel:\n"
    "  12,ＣＡＭ１２,on,top,M\n"
    "display is the title display of the input side (on or off), position top or\n"
    "bottom, size L, M or S. The title display of the outputs and the fine\n"
    "positions stay in the settings file only.\n"
    "\n"
    "titles export writes the table to stdout, or to TITLES.csv, in UTF-8 with a\n"
    "byte order mark, so that Excel shows the titles right on any Windows\n"
    "(--no-bom: none, for tools that want none).\n"
    "titles import reads a table in UTF-8 (with or without the mark) or in code\n"
    "page 932 (Shift-JIS, as Excel saves \"CSV\" on a Japanese Windows), and writes\n"
    "the settings file whole (a temporary file beside it, flushed and renamed into\n"
    "place): FILE.dat itself, or NEW.dat with -o. Rows come in any order; a\n"
    "channel without a row keeps what it has; a channel given twice is an error;\n"
    "empty trailing columns and empty rows, as spreadsheets write them, are\n"
    "ignored. Every cell is checked as the program checks it: a title is at most\n"
    "28 characters (56 Shift-JIS bytes), full-width characters only (JIS X 0208\n"
    "and the NEC and IBM extensions; no ASCII, no half-width katakana), and no\n"
    "\"＊\"; a title that is the channel's title already is kept as it is. One bad\n"
    "cell refuses the whole table: every bad cell is listed with its line on\n"
    "stderr, the exit code is 2, and FILE.dat is left byte for byte as it was (no\n"
    "NEW.dat is written). A table that changes nothing leaves FILE.dat as it is,\n"
    "so export then import gives the same file.\n"
    "\n"
    "An existing TITLES.csv or NEW.dat is replaced only with --force.\n";

const char kDiffHelp[] =
    "kvr2840e-cli diff A.dat B.dat [--json]\n"
    "\n"
    "Compares two settings files offline, every setting they hold: the display\n"
    "patterns (FREE too) and auto-switch patterns, the video outputs, the alarms,\n"
    "the date and time display, the titles with their display, position and size,\n"
    "the panel lock and password, and the unit's network settings. Each difference\n"
    "is one line on stdout, named as the unit's panel and the dialogs name it:\n"
    "  display pattern 3, output 5: I07 in A.dat, I12 in B.dat\n"
    "  title 12: \"ＣＡＭ１\" in A.dat, \"ＣＡＭ２\" in B.dat\n"
    "With --json, one object: each difference with this line, its table, its index\n"
    "(1-based) and both raw values (\"a\", \"b\").\n"
    "\n"
    "Exit code 0 when the files hold the same settings, 1 when they differ, 2 when\n"
    "one cannot be read (the reason and the line it stopped at on stderr).\n";

const char kReportHelp[] =
    "kvr2840e-cli report FILE.dat [-o REPORT.html [--force]] [--compare OTHER.dat] [--show-password]\n"
    "\n"
    "Writes every setting FILE.dat holds as one HTML page, to stdout or to\n"
    "REPORT.html: self-contained (UTF-8, its styles inline, no script, nothing\n"
    "fetched), for any browser, and printable on A4 (each section on pages of its\n"
    "own, table headers repeated). Sections as the program's dialogs name them:\n"
    "  Routing        the current display pattern, the video outputs, the display\n"
    "                 patterns as one grid (pattern x output: I07 with the input's\n"
    "                 title, or S03), the auto-switch dwell times as a grid (input\n"
    "                 x pattern, empty where 0, shaded by dwell)\n"
    "  Titles         each input's title, display, position and size; the title\n"
    "                 display of the outputs; the fine positions\n"
    "  Date and time display, Alarms, Panel, Network\n"
    "The password shows as ****** unless --show-password is given. A header names\n"
    "the file, its modification time and this tool's version; the footer the date\n"
    "the report was made.\n"
    "\n"
    "--compare OTHER.dat marks every value that differs in OTHER.dat in place,\n"
    "with both values, counts the differences at the head of each section and\n"
    "lists them at the top, each a link to its place.\n"
    "\n"
    "An existing REPORT.html is replaced only with --force. Exit code 0 when the\n"
    "page is written, 2 when a file cannot be read or the page written.\n";

// A whole decimal number in low..high.
bool ParseNumber(const char* text, int low, int high, int& value)
{
    if (!text || !*text)
        return false;
    char* end = nullptr;
    errno = 0;
    const long n = strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || n < low || n > high)
        return false;
    value = static_cast<int>(n);
    return true;
}

bool SplitHostPort(const std::string& text, std::string& host, int& port)
{
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        return false;
    host = text.substr(0, colon);
    return ParseNumber(text.c_str() + colon + 1, 1, 65535, port);
}

bool Fail(std::string& error, const std::string& text)
{
    error = text;
    return false;
}

// What the command line gave besides the values ToolOptions holds.
struct Given {
    bool address = false;
    bool units = false;
    bool wait = false;
    bool sections = false;
    bool output = false;
    bool compare = false;
    bool linkOption = false;          // the link or any of its options
    std::string outputValue;
    std::vector<std::string> words;   // the positional arguments, in order
};

void SetLink(ToolOptions& o, LinkKind kind)
{
    if (o.link != LinkKind::kNone && o.link != kind)
        RefuseValue("give one link: --serial, --tcp or --listen");
    o.link = kind;
}

// Every sub-command takes every option, so that one given to the wrong
// sub-command is named with the sub-command it belongs to, rather than
// refused as unknown.
struct ValueOption {
    const char* names;   // as CLI11 takes them; messages name the first
    const char* needs;   // what a missing value is: "--serial needs a device"
    bool linkOption;
    void (*take)(ToolOptions& o, Given& given, const std::string& value);   // refuses with RefuseValue
};

const ValueOption kValueOptions[] = {
    {"--serial", "a device", true,
     [](ToolOptions& o, Given&, const std::string& v) {
         SetLink(o, LinkKind::kSerial);
         o.device = v;
     }},
    {"--address", "an address", true,
     [](ToolOptions& o, Given& given, const std::string& v) {
         given.address = true;
         if (v == "broadcast") {
             o.address = kSlaveBroadcast;
             o.addresses = {kSlaveBroadcast};
             return;
         }
         if (!ParseSlaveAddressList(v.c_str(), o.addresses))
             RefuseValue("--address takes 0..31, a list such as 0,5,7 or 0-15, or broadcast");
         o.address = o.addresses[0];
     }},
    {"--tcp", "HOST:PORT", true,
     [](ToolOptions& o, Given&, const std::string& v) {
         SetLink(o, LinkKind::kTcp);
         if (!SplitHostPort(v, o.host, o.port))
             RefuseValue("--tcp takes HOST:PORT with a port 1..65535");
     }},
    {"--listen", "a port", true,
     [](ToolOptions& o, Given&, const std::string& v) {
         SetLink(o, LinkKind::kListen);
         if (!ParseNumber(v.c_str(), 0, 65535, o.listenPort))
             RefuseValue("--listen takes a port 0..65535");
     }},
    {"--units", "a count", true,
     [](ToolOptions& o, Given& given, const std::string& v) {
         given.units = true;
         if (!ParseNumber(v.c_str(), 1, kMaxUnits, o.units))
             RefuseValue("--units takes 1..96");
     }},
    {"--wait", "seconds", true,
     [](ToolOptions& o, Given& given, const std::string& v) {
         given.wait = true;
         if (!ParseNumber(v.c_str(), 1, 86400, o.waitSeconds))
             RefuseValue("--wait takes 1..86400 seconds");
     }},
    {"--pace-ms", "milliseconds", true,
     [](ToolOptions& o, Given&, const std::string& v) {
         if (!ParseNumber(v.c_str(), 0, 60000, o.paceMs))
             RefuseValue("--pace-ms takes 0..60000");
     }},
    {"-o,--output", "a file", false,
     [](ToolOptions&, Given& given, const std::string& v) {
         given.output = true;
         given.outputValue = v;
     }},
    {"--compare", "a settings file", false,
     [](ToolOptions& o, Given& given, const std::string& v) {
         given.compare = true;
         o.compare = v;
     }},
    {"--sections", "a list of sections", false,
     [](ToolOptions& o, Given& given, const std::string& v) {
         given.sections = true;
         std::string why;
         if (!ParseProvisionSections(v, o.sections, why))
             RefuseValue("--sections: " + why + " (routing, alarms, alarm-io, date-time, titles, title-display, "
                         "panel, network, or all)");
     }},
};

struct FlagOption {
    const char* name;
    void (*set)(ToolOptions& o);
};

const FlagOption kFlagOptions[] = {
    {"--clock", [](ToolOptions& o) { o.clock = true; }},
    {"--dry-run", [](ToolOptions& o) { o.dryRun = true; }},
    {"--no-bom", [](ToolOptions& o) { o.bom = false; }},
    {"--force", [](ToolOptions& o) { o.force = true; }},
    {"--json", [](ToolOptions& o) { o.json = true; }},
    {"--show-password", [](ToolOptions& o) { o.showPassword = true; }},
};

std::string FirstName(const char* names)
{
    const std::string all = names;
    return all.substr(0, all.find(','));
}

void AddOptions(CLI::App& command, ToolOptions& o, Given& given)
{
    for (const ValueOption& option : kValueOptions)
        AddValueOption(command, option.names, [&o, &given, &option](const std::string& value) {
            given.linkOption = given.linkOption || option.linkOption;
            option.take(o, given, value);
        });
    for (const FlagOption& option : kFlagOptions)
        AddFlagOption(command, option.name, [&o, &option] { option.set(o); });
    command.add_option("words", given.words);
}

// CLI11's refusals in our words. `command` is the sub-command being read.
std::string InOurWords(const CLI::ParseError& e, const CLI::App& command)
{
    if (const auto* mismatch = dynamic_cast<const CLI::ArgumentMismatch*>(&e)) {
        for (const ValueOption& option : kValueOptions) {
            const CLI::Option* read = command.get_option_no_throw(FirstName(option.names));
            if (read && ValueProblemOf(*mismatch, *read) == ValueProblem::kMissing)
                return FirstName(option.names) + " needs " + option.needs;
        }
        for (const FlagOption& option : kFlagOptions) {
            const CLI::Option* read = command.get_option_no_throw(option.name);
            if (read && ValueProblemOf(*mismatch, *read) == ValueProblem::kGiven)
                return std::string(option.name) + " takes no value";
        }
    }
    return e.what();
}

// The first word CLI11 could not place in `app`; "--" only ends the options.
std::string FirstUnknownWord(const CLI::App& app)
{
    for (const std::string& word : app.remaining())
        if (word != "--")
            return word;
    return "";
}

// What is left to check of titles export, titles import and diff once the
// words are read.
bool FinishFileCommand(ToolOptions& o, const Given& given, std::string& error)
{
    const std::string name = CommandName(o.command);
    const std::vector<std::string>& words = given.words;
    if (given.linkOption)
        return Fail(error, name + " works on files alone: it takes no link and no link option");
    if (o.command == ToolCommand::kReport) {
        if (o.json)
            return Fail(error, "report has no --json: its output is the HTML page");
        if (o.force && !given.output)
            return Fail(error, "--force belongs to -o");
        if (given.output)
            o.output = given.outputValue;
        if (words.size() != 1)
            return Fail(error, words.empty() ? "report needs FILE.dat" : "too many arguments: " + words[1]);
        o.file = words[0];
        return true;
    }
    if (o.command == ToolCommand::kDiff) {
        if (given.output || o.force)
            return Fail(error, "diff writes no file: it takes no -o or --force");
        if (words.size() != 2)
            return Fail(error, "diff needs A.dat and B.dat");
        o.file = words[0];
        o.secondFile = words[1];
        return true;
    }
    if (o.json)
        return Fail(error, name + " has no --json: its output is the table or the settings file");
    if (o.force && !given.output)
        return Fail(error, "--force belongs to -o");
    if (given.output)
        o.output = given.outputValue;
    if (o.command == ToolCommand::kTitlesExport) {
        if (words.size() != 1)
            return Fail(error, words.empty() ? "titles export needs FILE.dat" : "too many arguments: " + words[1]);
        o.file = words[0];
        return true;
    }
    if (words.size() != 2)
        return Fail(error, "titles import needs FILE.dat and TITLES.csv");
    o.file = words[0];
    o.table = words[1];
    return true;
}

} // namespace

const char* CommandName(ToolCommand command)
{
    switch (command) {
    case ToolCommand::kReadAll: return "read-all";
    case ToolCommand::kSetAll: return "set-all";
    case ToolCommand::kVerify: return "verify";
    case ToolCommand::kSend: return "send";
    case ToolCommand::kProvision: return "provision";
    case ToolCommand::kTitles: return "titles";
    case ToolCommand::kTitlesExport: return "titles export";
    case ToolCommand::kTitlesImport: return "titles import";
    case ToolCommand::kDiff: return "diff";
    case ToolCommand::kReport: return "report";
    case ToolCommand::kNone: break;
    }
    return "kvr2840e-cli";
}

const char* VersionText()
{
    return "kvr2840e-cli " KVR_VERSION "\n";
}

const char* HelpText(ToolCommand command)
{
    switch (command) {
    case ToolCommand::kReadAll: return kReadAllHelp;
    case ToolCommand::kSetAll: return kSetAllHelp;
    case ToolCommand::kVerify: return kVerifyHelp;
    case ToolCommand::kSend: return kSendHelp;
    case ToolCommand::kProvision: return kProvisionHelp;
    case ToolCommand::kTitles:
    case ToolCommand::kTitlesExport:
    case ToolCommand::kTitlesImport: return kTitlesHelp;
    case ToolCommand::kDiff: return kDiffHelp;
    case ToolCommand::kReport: return kReportHelp;
    case ToolCommand::kNone: break;
    }
    return kToolHelp;
}

bool IsFileCommand(ToolCommand command)
{
    return command == ToolCommand::kTitlesExport || command == ToolCommand::kTitlesImport ||
           command == ToolCommand::kDiff || command == ToolCommand::kReport;
}

bool ParseToolOptions(int argc, const char* const* argv, ToolOptions& o, std::string& error)
{
    Given given;
    CLI::App app("", "kvr2840e-cli");
    ReadWordsAsOurs(app);
    // One sub-command; past it, a sub-command's name is a word like any other
    // (a file called "diff"). The sub-commands inherit this.
    app.require_subcommand(0, 1);
    const CLI::App* reading = &app;   // the sub-command being read, for CLI11's refusals
    auto addCommand = [&](CLI::App& parent, const char* name, ToolCommand command) {
        CLI::App* sub = parent.add_subcommand(name);
        sub->preparse_callback([&o, &reading, sub, command](size_t) {
            o.command = command;
            reading = sub;
        });
        return sub;
    };
    for (ToolCommand command : {ToolCommand::kReadAll, ToolCommand::kSetAll, ToolCommand::kVerify,
                                ToolCommand::kSend, ToolCommand::kProvision, ToolCommand::kDiff,
                                ToolCommand::kReport})
        AddOptions(*addCommand(app, CommandName(command), command), o, given);
    CLI::App* titles = addCommand(app, "titles", ToolCommand::kTitles);
    AddOptions(*addCommand(*titles, "export", ToolCommand::kTitlesExport), o, given);
    AddOptions(*addCommand(*titles, "import", ToolCommand::kTitlesImport), o, given);
    AddFlagOption(app, "--version", [&o] { o.version = true; });

    bool help = false;
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        help = true;
    } catch (const CLI::ParseError& e) {
        return Fail(error, InOurWords(e, *reading));
    }
    // The words CLI11 could not place: before the sub-command, between
    // "titles" and its export or import, or an option no sub-command has.
    if (const std::string word = FirstUnknownWord(app); !word.empty()) {
        o.command = ToolCommand::kNone;
        return Fail(error, "unknown sub-command: " + word);
    }
    if (const std::string word = FirstUnknownWord(*titles); !word.empty())
        return Fail(error, "titles takes export or import, not " + word);
    if (const std::string word = FirstUnknownWord(*reading); !word.empty())
        return Fail(error, "unknown option: " + word);
    if (help) {
        o.help = true;
        return true;
    }
    if (o.version) {
        if (o.command != ToolCommand::kNone)
            return Fail(error, "--version stands alone");
        return true;
    }
    if (o.command == ToolCommand::kNone)
        return Fail(error, "no sub-command given");
    if (o.command == ToolCommand::kTitles)
        return Fail(error, "titles needs export or import");
    const std::vector<std::string>& words = given.words;
    if (words.size() > 2)
        return Fail(error, "too many arguments: " + words[2]);
    if ((given.sections || o.clock || o.dryRun) && o.command != ToolCommand::kProvision)
        return Fail(error, "--sections, --clock and --dry-run belong to provision");
    if (!o.bom && o.command != ToolCommand::kTitlesExport)
        return Fail(error, "--no-bom belongs to titles export");
    if ((given.compare || o.showPassword) && o.command != ToolCommand::kReport)
        return Fail(error, "--compare and --show-password belong to report");
    if (IsFileCommand(o.command))
        return FinishFileCommand(o, given, error);

    if (given.output)
        o.file = given.outputValue;
    if (o.link == LinkKind::kNone)
        return Fail(error, "no link given: --serial, --tcp or --listen");
    if (given.address && o.link != LinkKind::kSerial)
        return Fail(error, "--address belongs to --serial");
    if ((given.units || given.wait) && o.link != LinkKind::kListen)
        return Fail(error, "--units and --wait belong to --listen");
    if (o.link == LinkKind::kListen && !given.units)
        return Fail(error, "--listen needs --units N");
    if (o.link != LinkKind::kListen)
        o.units = o.addresses.size() > 1 ? static_cast<int>(o.addresses.size()) : 1;
    if (o.command == ToolCommand::kProvision && (o.sections & ProvisionBit(kProvisionNetwork)) &&
        o.link != LinkKind::kSerial)
        return Fail(error, "the network section goes on a serial link only: over TCP it would cut the link it "
                           "travels on");
    if (given.output != (o.command == ToolCommand::kReadAll))
        return Fail(error, o.command == ToolCommand::kReadAll ? "read-all needs -o FILE.dat"
                                                              : "-o belongs to read-all");
    if (o.force && o.command != ToolCommand::kReadAll)
        return Fail(error, "--force belongs to read-all");

    const size_t wanted = o.command == ToolCommand::kReadAll ? 0 : 1;
    if (words.size() != wanted)
        return Fail(error, wanted == 0 ? "read-all takes no other argument"
                           : o.command == ToolCommand::kSend ? "send needs the command TEXT"
                                                             : std::string(CommandName(o.command)) + " needs FILE.dat");
    if (o.command == ToolCommand::kSend) {
        o.text = words[0];
        if (o.text.empty() || o.text.size() > 590 || o.text.find_first_of("\r\n") != std::string::npos)
            return Fail(error, "TEXT must be one line of 1..590 characters");
    } else if (wanted == 1) {
        o.file = words[0];
    }
    if (o.address == kSlaveBroadcast &&
        (o.command == ToolCommand::kReadAll || o.command == ToolCommand::kVerify))
        return Fail(error, "read all asks one addressed unit: give --address 0..31, not broadcast");
    return true;
}
