#include "sim/sim_options.h"

#include <cstring>

#include "sim/command_line.h"
#include "sim/unit_clock.h"
#include "kvr_version.h"

namespace {

const char kHelp[] =
    "kvr2840e-sim: a stand-in for the KVR2840E video switching unit (64 inputs,\n"
    "16 outputs). It answers every command of the configuration program with the\n"
    "replies the program accepts, keeps its own copy of every setting (so a read\n"
    "returns what was set) and serves a serial line, TCP, or both.\n"
    "\n"
    "Usage: kvr2840e-sim LINK... [OPTION...]\n"
    "\n"
    "Links (at least one):\n"
    "  --pty [PATH]            create a pseudo-terminal (raw, 8 data bits) and print\n"
    "                          its path; with PATH also keep a symlink to it there\n"
    "                          (POSIX only)\n"
    "  --serial DEVICE         use a real serial port (/dev/ttyS0, COM3) at 9600 baud,\n"
    "                          8 data bits, even parity, 1 stop bit\n"
    "  --rs485 LIST            make the serial line an RS-485 bus of units with these\n"
    "                          addresses (0..31, e.g. 0,5,7). A command must begin\n"
    "                          with its unit's two-digit address, and that unit puts\n"
    "                          the address in front of its reply; \"FF\" is applied by\n"
    "                          every unit and answered by none; other addresses get\n"
    "                          no answer. Without --rs485 the line is one RS-232C unit\n"
    "                          and commands carry no address.\n"
    "  --tcp-listen PORT       be a unit that the PC connects to (the PC as TCP\n"
    "                          client); PORT 0 takes any free port. With a serial link\n"
    "                          as well, it is the same unit as the first serial unit,\n"
    "                          as a real unit answers on both of its ports.\n"
    "  --bind ADDR             address to listen on (default 127.0.0.1)\n"
    "  --tcp-connect HOST:PORT connect to the PC's server (the PC as TCP server)\n"
    "  --units N               open N connections there, each an independent unit\n"
    "                          (default 1; the program serves at most 96)\n"
    "  --close-after-commands N\n"
    "                          close each TCP connection once it has answered its\n"
    "                          N-th command (with --no-reply: once it received it),\n"
    "                          so the PC sees the reply and then the unit hang up;\n"
    "                          the unit goes on listening or serving its other\n"
    "                          connections\n"
    "  --baud RATE             carry each link at RATE baud, 11 bits a character\n"
    "                          (8E1): a command counts from when its last character\n"
    "                          would have arrived, and replies go out no faster than\n"
    "                          the line; on a pty and on TCP alike (default: as fast\n"
    "                          as the link goes)\n"
    "\n"
    "Unit:\n"
    "  --video-loss LIST       inputs that have no video (e.g. 3,10-12)\n"
    "  --video-loss-flap SECONDS\n"
    "                          every SECONDS one input loses its video, then gets it\n"
    "                          back, then the next input takes its turn\n"
    "  --firmware X.XX         the four-character version the unit reports (1.00)\n"
    "  --clock \"YYYY-MM-DD hh:mm:ss[.fff]\"\n"
    "                          start each unit's running clock there (default: the\n"
    "                          PC's local time); RDT reads it back, to the\n"
    "                          millisecond\n"
    "\n"
    "Faults, for testing the program:\n"
    "  --no-reply              apply commands but never answer\n"
    "  --reply-delay MS        answer MS milliseconds after each command\n"
    "  --split                 send each reply in two writes 100 ms apart, the first\n"
    "                          without the line feed\n"
    "  --status WORD           answer every set command with WORD instead of GO, and\n"
    "                          do not apply it: MENU, ALARM, LOCK, GN, E0, E1, E2, E3\n"
    "  --error-every N         answer every N-th command of a unit with E3 (not applied)\n"
    "\n"
    "Running:\n"
    "  --log FILE              write each received command line as received (address\n"
    "                          included), one per line, flushed at once\n"
    "  --log-ms                each line of the log after the milliseconds since the\n"
    "                          simulator started (when its last character arrived)\n"
    "  --seconds N             end after N seconds (SIGINT and SIGTERM end it too)\n"
    "  --help                  show this text\n"
    "  --version               show the version of this simulator\n"
    "\n"
    "On start it prints one line per link and flushes, so scripts can wait for it:\n"
    "  pty /dev/pts/4\n"
    "  serial /dev/ttyS0\n"
    "  listening 127.0.0.1:9004\n"
    "  connected 3 units to 127.0.0.1:9004\n"
    "and later \"disconnected unit N\" when the PC closes a unit's connection.\n"
    "\n"
    "Replies: a set command is answered GO, a malformed or out-of-range one E3\n"
    "(nothing of it applied). The identification (RVN) is \"KVR-2840E ver 1.00\" on\n"
    "a serial line and \"VN KVR-2840E v1.00\" over TCP. Besides the program's reads,\n"
    "the unit answers R + the mnemonic of a setting (RAIP, RADT, RABOO, RADO, RARO,\n"
    "RAIN, RAOM, RAOS, RTSDR, RTSDS, RTSI, RTSO, RCTnn, RCTI, RCTO, RCTPI, RCTSI,\n"
    "RCTAT, RCTAB, RPMO, RPOO, RPN) with that setting in its read-back form.\n"
    "An output whose source is an auto-switch pattern cycles through the inputs\n"
    "with dwell times above 0 in real time; ROCD shows the input it is on.\n";

// A whole decimal number in low..high.
bool ParseNumber(const char* text, long low, long high, long& value)
{
    if (!text || *text == '\0')
        return false;
    long v = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        v = v * 10 + (*p - '0');
        if (v > high)
            return false;
    }
    if (v < low)
        return false;
    value = v;
    return true;
}

bool ParseInt(const char* text, int low, int high, int& value)
{
    long v;
    if (!ParseNumber(text, low, high, v))
        return false;
    value = static_cast<int>(v);
    return true;
}

// "3,10-12": inputs 1..64.
bool ParseInputList(const char* text, bool (&inputs)[kMaxChannels])
{
    std::string list(text);
    size_t start = 0;
    while (true) {
        const size_t comma = list.find(',', start);
        const std::string item = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const size_t dash = item.find('-');
        int first, last;
        if (dash == std::string::npos) {
            if (!ParseInt(item.c_str(), 1, kMaxChannels, first))
                return false;
            last = first;
        } else if (!ParseInt(item.substr(0, dash).c_str(), 1, kMaxChannels, first) ||
                   !ParseInt(item.substr(dash + 1).c_str(), 1, kMaxChannels, last) || last < first) {
            return false;
        }
        for (int i = first; i <= last; ++i)
            inputs[i - 1] = true;
        if (comma == std::string::npos)
            return true;
        start = comma + 1;
    }
}

bool IsStatusWord(const char* word)
{
    static const char* const kWords[] = {"MENU", "ALARM", "LOCK", "GN", "E0", "E1", "E2", "E3"};
    for (const char* known : kWords)
        if (strcmp(word, known) == 0)
            return true;
    return false;
}

// Stores an option's value; or, when the value does not fit, returns what
// the option takes, for the refusal.
using Take = const char* (*)(SimOptions& o, const std::string& value);

struct ValueOption {
    const char* name;
    Take take;
};

const ValueOption kValueOptions[] = {
    {"--serial",
     [](SimOptions& o, const std::string& v) -> const char* {
         o.serialDevice = v;
         return nullptr;
     }},
    {"--rs485",
     [](SimOptions& o, const std::string& v) -> const char* {
         return ParseAddressList(v.c_str(), o.rs485Addresses) ? nullptr
                                                               : "addresses 0..31 separated by commas, each once";
     }},
    {"--tcp-listen",
     [](SimOptions& o, const std::string& v) -> const char* {
         return ParseInt(v.c_str(), 0, 65535, o.listenPort) ? nullptr : "a port 0..65535";
     }},
    {"--bind",
     [](SimOptions& o, const std::string& v) -> const char* {
         o.bindAddress = v;
         return nullptr;
     }},
    {"--tcp-connect",
     [](SimOptions& o, const std::string& v) -> const char* {
         const size_t colon = v.rfind(':');
         if (colon == std::string::npos || colon == 0 || !ParseInt(v.c_str() + colon + 1, 1, 65535, o.connectPort))
             return "HOST:PORT";
         o.connectHost = v.substr(0, colon);
         return nullptr;
     }},
    {"--units",
     [](SimOptions& o, const std::string& v) -> const char* {
         return ParseInt(v.c_str(), 1, 256, o.units) ? nullptr : "1..256";
     }},
    {"--close-after-commands",
     [](SimOptions& o, const std::string& v) -> const char* {
         return ParseInt(v.c_str(), 1, 1000000, o.closeAfterCommands) ? nullptr : "a count of 1 or more";
     }},
    {"--baud",
     [](SimOptions& o, const std::string& v) -> const char* {
         return ParseInt(v.c_str(), 50, 1000000, o.baud) ? nullptr : "50..1000000 baud";
     }},
    {"--video-loss",
     [](SimOptions& o, const std::string& v) -> const char* {
         return ParseInputList(v.c_str(), o.lostInputs) ? nullptr : "inputs 1..64 such as 3,10-12";
     }},
    {"--video-loss-flap",
     [](SimOptions& o, const std::string& v) -> const char* {
         return ParseInt(v.c_str(), 1, 3600, o.flapSeconds) ? nullptr : "1..3600 seconds";
     }},
    {"--firmware",
     [](SimOptions& o, const std::string& v) -> const char* {
         if (v.size() != 4)
             return "exactly four characters, such as 1.00";
         for (char c : v)
             if (c < 0x20 || c > 0x7E)
                 return "printable characters";
         memcpy(o.firmwareVersion, v.c_str(), 5);
         return nullptr;
     }},
    {"--clock",
     [](SimOptions& o, const std::string& v) -> const char* {
         return ParseClockText(v.c_str(), o.clockMs) ? nullptr : "a local time YYYY-MM-DD hh:mm:ss[.fff] of 2000..2099";
     }},
    {"--reply-delay",
     [](SimOptions& o, const std::string& v) -> const char* {
         return ParseInt(v.c_str(), 0, 60000, o.faults.replyDelayMs) ? nullptr : "0..60000 milliseconds";
     }},
    {"--status",
     [](SimOptions& o, const std::string& v) -> const char* {
         if (!IsStatusWord(v.c_str()))
             return "MENU, ALARM, LOCK, GN, E0, E1, E2 or E3";
         memcpy(o.faults.statusWord, v.c_str(), v.size() + 1);
         return nullptr;
     }},
    {"--error-every",
     [](SimOptions& o, const std::string& v) -> const char* {
         return ParseInt(v.c_str(), 1, 1000000, o.faults.errorEvery) ? nullptr : "a count of 1 or more";
     }},
    {"--log",
     [](SimOptions& o, const std::string& v) -> const char* {
         o.logPath = v;
         return nullptr;
     }},
    {"--seconds",
     [](SimOptions& o, const std::string& v) -> const char* {
         return ParseInt(v.c_str(), 1, 100000000, o.seconds) ? nullptr : "1 or more seconds";
     }},
};

struct FlagOption {
    const char* name;
    void (*set)(SimOptions& o);
};

const FlagOption kFlagOptions[] = {
    {"--no-reply", [](SimOptions& o) { o.faults.noReply = true; }},
    {"--split", [](SimOptions& o) { o.faults.split = true; }},
    {"--log-ms", [](SimOptions& o) { o.logMs = true; }},
    {"--version", [](SimOptions& o) { o.version = true; }},
};

// CLI11's refusals in our words.
std::string InOurWords(const CLI::ParseError& e, const CLI::App& app)
{
    if (const auto* mismatch = dynamic_cast<const CLI::ArgumentMismatch*>(&e)) {
        for (const CLI::Option* option : app.get_options()) {
            const ValueProblem problem = ValueProblemOf(*mismatch, *option);
            if (problem == ValueProblem::kMissing)
                return option->get_name() + " needs a value";
            if (problem == ValueProblem::kGiven)
                return option->get_name() + " takes no value";
        }
    }
    return e.what();
}

} // namespace

const char* SimVersionText()
{
    return "kvr2840e-sim " KVR_VERSION "\n";
}

const char* SimHelpText()
{
    return kHelp;
}

bool ParseSimOptions(int argc, const char* const* argv, SimOptions& o, std::string& error)
{
    CLI::App app("", "kvr2840e-sim");
    ReadWordsAsOurs(app);
    // --pty takes a path only when one follows: "--pty --seconds 3" has none.
    app.add_option_function<std::string>("--pty", [&o](const std::string& path) {
           o.pty = true;
           o.ptyLink = path;
       })
        ->expected(0, 1)
        ->trigger_on_parse();
    for (const ValueOption& option : kValueOptions)
        AddValueOption(app, option.name, [&o, option](const std::string& value) {
            if (const char* takes = option.take(o, value))
                RefuseValue(std::string("bad value for ") + option.name + ": " + value + " (" + takes + ")");
        });
    for (const FlagOption& option : kFlagOptions)
        AddFlagOption(app, option.name, [&o, set = option.set] { set(o); });
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        o.help = true;
    } catch (const CLI::ParseError& e) {
        error = InOurWords(e, app);
        return false;
    }
    // CLI11 keeps the words it does not know, options and others alike.
    if (!app.remaining().empty()) {
        error = "unknown option " + app.remaining()[0] + " (see --help)";
        return false;
    }
    if (o.help || o.version)
        return true;

    const bool serial = o.pty || !o.serialDevice.empty();
    const bool rs485Given = app.count("--rs485") > 0;
    const bool bindGiven = app.count("--bind") > 0;
    const bool unitsGiven = app.count("--units") > 0;
    if (o.pty && !o.serialDevice.empty()) {
        error = "--pty and --serial are two serial lines; choose one";
        return false;
    }
    if (!serial && o.listenPort < 0 && o.connectHost.empty()) {
        error = "no link: give --pty, --serial, --tcp-listen or --tcp-connect (see --help)";
        return false;
    }
    if (rs485Given && !serial) {
        error = "--rs485 needs a serial line (--pty or --serial)";
        return false;
    }
    if (bindGiven && o.listenPort < 0) {
        error = "--bind goes with --tcp-listen";
        return false;
    }
    if (o.closeAfterCommands > 0 && o.listenPort < 0 && o.connectHost.empty()) {
        error = "--close-after-commands goes with --tcp-listen or --tcp-connect";
        return false;
    }
    if (unitsGiven && o.connectHost.empty()) {
        error = "--units goes with --tcp-connect";
        return false;
    }
    return true;
}
