#include "sim/sim_options.h"

#include <cstring>

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
    "  --seconds N             end after N seconds (SIGINT and SIGTERM end it too)\n"
    "  --help                  show this text\n"
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

} // namespace

const char* SimHelpText()
{
    return kHelp;
}

bool ParseSimOptions(int argc, const char* const* argv, SimOptions& o, std::string& error)
{
    bool bindGiven = false;
    bool unitsGiven = false;
    bool rs485Given = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto needValue = [&]() {
            if (!value) {
                error = option + " needs a value";
                return false;
            }
            ++i;
            return true;
        };
        auto bad = [&](const char* what) {
            error = "bad value for " + option + ": " + (value ? value : "") + " (" + what + ")";
            return false;
        };

        if (option == "--help" || option == "-h") {
            o.help = true;
        } else if (option == "--pty") {
            o.pty = true;
            if (value && strncmp(value, "--", 2) != 0) {
                o.ptyLink = value;
                ++i;
            }
        } else if (option == "--serial") {
            if (!needValue())
                return false;
            o.serialDevice = value;
        } else if (option == "--rs485") {
            if (!needValue())
                return false;
            if (!ParseAddressList(value, o.rs485Addresses))
                return bad("addresses 0..31 separated by commas, each once");
            rs485Given = true;
        } else if (option == "--tcp-listen") {
            if (!needValue())
                return false;
            if (!ParseInt(value, 0, 65535, o.listenPort))
                return bad("a port 0..65535");
        } else if (option == "--bind") {
            if (!needValue())
                return false;
            o.bindAddress = value;
            bindGiven = true;
        } else if (option == "--tcp-connect") {
            if (!needValue())
                return false;
            const std::string target = value;
            const size_t colon = target.rfind(':');
            if (colon == std::string::npos || colon == 0 ||
                !ParseInt(target.c_str() + colon + 1, 1, 65535, o.connectPort))
                return bad("HOST:PORT");
            o.connectHost = target.substr(0, colon);
        } else if (option == "--units") {
            if (!needValue())
                return false;
            if (!ParseInt(value, 1, 256, o.units))
                return bad("1..256");
            unitsGiven = true;
        } else if (option == "--close-after-commands") {
            if (!needValue())
                return false;
            if (!ParseInt(value, 1, 1000000, o.closeAfterCommands))
                return bad("a count of 1 or more");
        } else if (option == "--baud") {
            if (!needValue())
                return false;
            if (!ParseInt(value, 50, 1000000, o.baud))
                return bad("50..1000000 baud");
        } else if (option == "--video-loss") {
            if (!needValue())
                return false;
            if (!ParseInputList(value, o.lostInputs))
                return bad("inputs 1..64 such as 3,10-12");
        } else if (option == "--video-loss-flap") {
            if (!needValue())
                return false;
            if (!ParseInt(value, 1, 3600, o.flapSeconds))
                return bad("1..3600 seconds");
        } else if (option == "--firmware") {
            if (!needValue())
                return false;
            if (strlen(value) != 4)
                return bad("exactly four characters, such as 1.00");
            for (const char* p = value; *p; ++p)
                if (*p < 0x20 || *p > 0x7E)
                    return bad("printable characters");
            memcpy(o.firmwareVersion, value, 5);
        } else if (option == "--no-reply") {
            o.faults.noReply = true;
        } else if (option == "--reply-delay") {
            if (!needValue())
                return false;
            if (!ParseInt(value, 0, 60000, o.faults.replyDelayMs))
                return bad("0..60000 milliseconds");
        } else if (option == "--split") {
            o.faults.split = true;
        } else if (option == "--status") {
            if (!needValue())
                return false;
            if (!IsStatusWord(value))
                return bad("MENU, ALARM, LOCK, GN, E0, E1, E2 or E3");
            memcpy(o.faults.statusWord, value, strlen(value) + 1);
        } else if (option == "--error-every") {
            if (!needValue())
                return false;
            if (!ParseInt(value, 1, 1000000, o.faults.errorEvery))
                return bad("a count of 1 or more");
        } else if (option == "--log") {
            if (!needValue())
                return false;
            o.logPath = value;
        } else if (option == "--seconds") {
            if (!needValue())
                return false;
            if (!ParseInt(value, 1, 100000000, o.seconds))
                return bad("1 or more seconds");
        } else {
            error = "unknown option " + option + " (see --help)";
            return false;
        }
    }
    if (o.help)
        return true;

    const bool serial = o.pty || !o.serialDevice.empty();
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
