#include "cli/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "link/link_state.h"
#include "link/tcp_state.h"

ToolOptions::ToolOptions() : address(kNoAddressPrefix) {}

namespace {

const char kToolHelp[] =
    "kvr2840e: reads and sets whole settings files (*.dat) on KVR2840E units,\n"
    "one unit or up to 96 at once, with the wire texts and pacing of the\n"
    "configuration program; edits the titles of a settings file as a table and\n"
    "compares settings files, offline.\n"
    "\n"
    "Usage:\n"
    "  kvr2840e read-all LINK -o FILE.dat [--force]\n"
    "  kvr2840e set-all FILE.dat LINK\n"
    "  kvr2840e verify FILE.dat LINK\n"
    "  kvr2840e send LINK TEXT\n"
    "  kvr2840e provision FILE.dat LINK [--sections LIST] [--clock]\n"
    "  kvr2840e titles export FILE.dat [-o TITLES.csv [--force]]\n"
    "  kvr2840e titles import FILE.dat TITLES.csv [-o NEW.dat [--force]]\n"
    "  kvr2840e diff A.dat B.dat [--json]\n"
    "  kvr2840e SUB-COMMAND --help\n"
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
    "\n"
    "Exit codes: 0 all done (diff: the files hold the same settings), 1 a unit\n"
    "failed or differs (diff: the files differ), 2 bad usage or a file that cannot\n"
    "be read or written, 3 a link could not be opened.\n";

const char kReadAllHelp[] =
    "kvr2840e read-all LINK -o FILE.dat [--force] [--pace-ms MS] [--json]\n"
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
    "kvr2840e set-all FILE.dat LINK [--pace-ms MS] [--json]\n"
    "\n"
    "Sends the settings of FILE.dat in 67 steps, one every 400 ms: the recall of the\n"
    "file's current display pattern, that layout's 16 sources, the 32 display\n"
    "patterns, the 32 auto-switch patterns and the video outputs. A file that\n"
    "cannot be read is refused, with its line number, before anything is sent.\n";

const char kVerifyHelp[] =
    "kvr2840e verify FILE.dat LINK [--pace-ms MS] [--json]\n"
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
    "kvr2840e send LINK TEXT [--json]\n"
    "\n"
    "Sends TEXT as one command (the line end is added; on RS-485 the address is put\n"
    "in front) and prints the unit's reply line. The exit code is 1 when no reply\n"
    "came within the program's time-out or the unit answered MENU, ALARM, LOCK, GN\n"
    "or E0..E3 (or a reply the program refuses). A broadcast has no reply.\n";

const char kProvisionHelp[] =
    "kvr2840e provision FILE.dat LINK [--sections LIST] [--clock] [--pace-ms MS] [--json]\n"
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
    "  panel          POO, PMO, PN\n"
    "  network        EIA, EGA, EAA, ESM, ECT, EKA (the network settings the\n"
    "                 file holds); serial links only\n"
    "--sections takes a comma-separated LIST of these names, or all. The default\n"
    "is every section but panel and network: those can lock people out of a unit\n"
    "or move it off the network, so they go only when named. network over --tcp\n"
    "or --listen is refused (it would cut the link it travels on).\n"
    "\n"
    "--clock also sets the unit's clock from this PC's local time (DSY, DSM, DSD,\n"
    "TSH, TSM, TSS), last; it waits for the next minute when the current one would\n"
    "turn during those six steps, so the unit ends within a second or two of the\n"
    "PC.\n"
    "\n"
    "Each step goes as soon as the previous reply is in (--pace-ms MS for a slower\n"
    "pace); on broadcast each step also waits the time the line needs to carry it.\n"
    "A title the unit would refuse, or a password that is not six digits, is\n"
    "refused before anything is sent, with its channel and its line of the file.\n"
    "A unit that fails stops at its step, as set-all's do; the others go on.\n";

const char kTitlesHelp[] =
    "kvr2840e titles export FILE.dat [-o TITLES.csv [--force]]\n"
    "kvr2840e titles import FILE.dat TITLES.csv [-o NEW.dat [--force]]\n"
    "\n"
    "The titles of the 64 input channels of a settings file as a table to edit in\n"
    "a spreadsheet: CSV (RFC 4180) in UTF-8, the header line\n"
    "channel,title,display,position,size and one row per channel:\n"
    "  12,ＣＡＭ１２,on,top,M\n"
    "display is the title display of the input side (on or off), position top or\n"
    "bottom, size L, M or S. The title display of the outputs and the fine\n"
    "positions stay in the settings file only.\n"
    "\n"
    "titles export writes the table to stdout, or to TITLES.csv.\n"
    "titles import reads a table and writes the settings file whole (a temporary\n"
    "file beside it, renamed into place): FILE.dat itself, or NEW.dat with -o.\n"
    "Rows come in any order; a channel without a row keeps what it has; a channel\n"
    "given twice is an error. Every cell is checked as the program checks it: a\n"
    "title is at most 28 full-width characters (56 Shift-JIS bytes), each one the\n"
    "unit can show, and no \"＊\"; a title that is the channel's title already is\n"
    "kept as it is. One bad cell refuses the whole table: every bad cell is listed\n"
    "with its line on stderr, the exit code is 2, and FILE.dat is left byte for\n"
    "byte as it was (no NEW.dat is written). A table that changes nothing leaves\n"
    "FILE.dat as it is, so export then import gives the same file.\n"
    "\n"
    "An existing TITLES.csv or NEW.dat is replaced only with --force.\n";

const char kDiffHelp[] =
    "kvr2840e diff A.dat B.dat [--json]\n"
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

ToolCommand CommandOf(const char* word)
{
    if (strcmp(word, "read-all") == 0)
        return ToolCommand::kReadAll;
    if (strcmp(word, "set-all") == 0)
        return ToolCommand::kSetAll;
    if (strcmp(word, "verify") == 0)
        return ToolCommand::kVerify;
    if (strcmp(word, "send") == 0)
        return ToolCommand::kSend;
    if (strcmp(word, "provision") == 0)
        return ToolCommand::kProvision;
    if (strcmp(word, "titles") == 0)
        return ToolCommand::kTitles;
    if (strcmp(word, "diff") == 0)
        return ToolCommand::kDiff;
    return ToolCommand::kNone;
}

bool Fail(std::string& error, const std::string& text)
{
    error = text;
    return false;
}

bool SetLink(ToolOptions& options, LinkKind kind, std::string& error)
{
    if (options.link != LinkKind::kNone && options.link != kind)
        return Fail(error, "give one link: --serial, --tcp or --listen");
    options.link = kind;
    return true;
}

// What is left to check of titles export, titles import and diff once the
// words are read.
bool FinishFileCommand(ToolOptions& o, const std::string (&positional)[2], int positionals, bool linkOptionGiven,
                       const std::string* output, std::string& error)
{
    const std::string name = CommandName(o.command);
    if (linkOptionGiven)
        return Fail(error, name + " works on files alone: it takes no link and no link option");
    if (o.command == ToolCommand::kDiff) {
        if (output || o.force)
            return Fail(error, "diff writes no file: it takes no -o or --force");
        if (positionals != 2)
            return Fail(error, "diff needs A.dat and B.dat");
        o.file = positional[0];
        o.secondFile = positional[1];
        return true;
    }
    if (o.json)
        return Fail(error, name + " has no --json: its output is the table or the settings file");
    if (o.force && !output)
        return Fail(error, "--force belongs to -o");
    if (output)
        o.output = *output;
    if (o.command == ToolCommand::kTitlesExport) {
        if (positionals != 1)
            return Fail(error, positionals == 0 ? "titles export needs FILE.dat" : "too many arguments: " + positional[1]);
        o.file = positional[0];
        return true;
    }
    if (positionals != 2)
        return Fail(error, "titles import needs FILE.dat and TITLES.csv");
    o.file = positional[0];
    o.table = positional[1];
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
    case ToolCommand::kNone: break;
    }
    return "kvr2840e";
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
    case ToolCommand::kNone: break;
    }
    return kToolHelp;
}

bool IsFileCommand(ToolCommand command)
{
    return command == ToolCommand::kTitlesExport || command == ToolCommand::kTitlesImport ||
           command == ToolCommand::kDiff;
}

bool ParseToolOptions(int argc, const char* const* argv, ToolOptions& o, std::string& error)
{
    int i = 1;
    if (i < argc && (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0)) {
        o.help = true;
        return true;
    }
    if (i >= argc)
        return Fail(error, "no sub-command given");
    o.command = CommandOf(argv[i]);
    if (o.command == ToolCommand::kNone)
        return Fail(error, std::string("unknown sub-command: ") + argv[i]);
    ++i;
    if (o.command == ToolCommand::kTitles && i < argc && argv[i][0] != '-') {
        if (strcmp(argv[i], "export") == 0)
            o.command = ToolCommand::kTitlesExport;
        else if (strcmp(argv[i], "import") == 0)
            o.command = ToolCommand::kTitlesImport;
        else
            return Fail(error, std::string("titles takes export or import, not ") + argv[i]);
        ++i;
    }

    bool addressGiven = false, unitsGiven = false, waitGiven = false, outputGiven = false, sectionsGiven = false;
    bool linkOptionGiven = false;   // any of the link and its options
    std::string outputValue;
    std::string positional[2];
    int positionals = 0;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        linkOptionGiven = linkOptionGiven || arg == "--serial" || arg == "--tcp" || arg == "--listen" ||
                          arg == "--address" || arg == "--units" || arg == "--wait" || arg == "--pace-ms";
        auto needValue = [&](const char* what) {
            if (!value)
                return Fail(error, arg + " needs " + what);
            ++i;
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            o.help = true;
            return true;
        } else if (arg == "--serial") {
            if (!needValue("a device") || !SetLink(o, LinkKind::kSerial, error))
                return false;
            o.device = value;
        } else if (arg == "--address") {
            if (!needValue("an address"))
                return false;
            addressGiven = true;
            if (strcmp(value, "broadcast") == 0) {
                o.address = kSlaveBroadcast;
                o.addresses = {kSlaveBroadcast};
            } else if (!ParseSlaveAddressList(value, o.addresses)) {
                return Fail(error, "--address takes 0..31, a list such as 0,5,7 or 0-15, or broadcast");
            } else {
                o.address = o.addresses[0];
            }
        } else if (arg == "--tcp") {
            if (!needValue("HOST:PORT") || !SetLink(o, LinkKind::kTcp, error))
                return false;
            if (!SplitHostPort(value, o.host, o.port))
                return Fail(error, "--tcp takes HOST:PORT with a port 1..65535");
        } else if (arg == "--listen") {
            if (!needValue("a port") || !SetLink(o, LinkKind::kListen, error))
                return false;
            if (!ParseNumber(value, 0, 65535, o.listenPort))
                return Fail(error, "--listen takes a port 0..65535");
        } else if (arg == "--units") {
            if (!needValue("a count"))
                return false;
            unitsGiven = true;
            if (!ParseNumber(value, 1, kMaxUnits, o.units))
                return Fail(error, "--units takes 1..96");
        } else if (arg == "--wait") {
            if (!needValue("seconds"))
                return false;
            waitGiven = true;
            if (!ParseNumber(value, 1, 86400, o.waitSeconds))
                return Fail(error, "--wait takes 1..86400 seconds");
        } else if (arg == "--pace-ms") {
            if (!needValue("milliseconds"))
                return false;
            if (!ParseNumber(value, 0, 60000, o.paceMs))
                return Fail(error, "--pace-ms takes 0..60000");
        } else if (arg == "-o" || arg == "--output") {
            if (!needValue("a file"))
                return false;
            outputGiven = true;
            outputValue = value;
        } else if (arg == "--sections") {
            if (!needValue("a list of sections"))
                return false;
            sectionsGiven = true;
            std::string why;
            if (!ParseProvisionSections(value, o.sections, why))
                return Fail(error, "--sections: " + why + " (routing, alarms, alarm-io, date-time, titles, "
                                   "title-display, panel, network, or all)");
        } else if (arg == "--clock") {
            o.clock = true;
        } else if (arg == "--force") {
            o.force = true;
        } else if (arg == "--json") {
            o.json = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Fail(error, "unknown option: " + arg);
        } else {
            if (positionals == 2)
                return Fail(error, "too many arguments: " + arg);
            positional[positionals++] = arg;
        }
    }

    if (o.command == ToolCommand::kTitles)
        return Fail(error, "titles needs export or import");
    if (IsFileCommand(o.command))
        return FinishFileCommand(o, positional, positionals, linkOptionGiven, outputGiven ? &outputValue : nullptr,
                                 error);

    if (outputGiven)
        o.file = outputValue;
    if (o.link == LinkKind::kNone)
        return Fail(error, "no link given: --serial, --tcp or --listen");
    if (addressGiven && o.link != LinkKind::kSerial)
        return Fail(error, "--address belongs to --serial");
    if ((unitsGiven || waitGiven) && o.link != LinkKind::kListen)
        return Fail(error, "--units and --wait belong to --listen");
    if (o.link == LinkKind::kListen && !unitsGiven)
        return Fail(error, "--listen needs --units N");
    if (o.link != LinkKind::kListen)
        o.units = o.addresses.size() > 1 ? static_cast<int>(o.addresses.size()) : 1;
    if ((sectionsGiven || o.clock) && o.command != ToolCommand::kProvision)
        return Fail(error, "--sections and --clock belong to provision");
    if (o.command == ToolCommand::kProvision && (o.sections & ProvisionBit(kProvisionNetwork)) &&
        o.link != LinkKind::kSerial)
        return Fail(error, "the network section goes on a serial link only: over TCP it would cut the link it "
                           "travels on");
    if (outputGiven != (o.command == ToolCommand::kReadAll))
        return Fail(error, o.command == ToolCommand::kReadAll ? "read-all needs -o FILE.dat"
                                                              : "-o belongs to read-all");
    if (o.force && o.command != ToolCommand::kReadAll)
        return Fail(error, "--force belongs to read-all");

    const int wanted = o.command == ToolCommand::kReadAll ? 0 : 1;
    if (positionals != wanted)
        return Fail(error, wanted == 0 ? "read-all takes no other argument"
                           : o.command == ToolCommand::kSend ? "send needs the command TEXT"
                                                             : std::string(CommandName(o.command)) + " needs FILE.dat");
    if (o.command == ToolCommand::kSend) {
        o.text = positional[0];
        if (o.text.empty() || o.text.size() > 590 || o.text.find_first_of("\r\n") != std::string::npos)
            return Fail(error, "TEXT must be one line of 1..590 characters");
    } else if (wanted == 1) {
        o.file = positional[0];
    }
    if (o.address == kSlaveBroadcast &&
        (o.command == ToolCommand::kReadAll || o.command == ToolCommand::kVerify))
        return Fail(error, "read all asks one addressed unit: give --address 0..31, not broadcast");
    return true;
}
