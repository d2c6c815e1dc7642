// The simulator's command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/device_model.h"
#include "sim/unit_link.h"

struct SimOptions {
    bool help = false;
    bool version = false;   // --version

    bool pty = false;
    std::string ptyLink;          // where to keep a symlink to the pty; empty = none
    std::string serialDevice;     // a real port: /dev/ttyS0, COM3 ...
    std::vector<int> rs485Addresses;   // empty = one RS-232C unit

    int listenPort = -1;          // -1 = no listening unit; 0 = any free port
    std::string bindAddress = "127.0.0.1";
    std::string connectHost;      // empty = no connecting units
    int connectPort = 0;
    int units = 1;                // connections to the PC's server
    int closeAfterCommands = 0;   // 0 = never; else a TCP connection ends once it answered this many
    int baud = 0;                 // 0 = as fast as the link goes; else each link carries this many baud, 8E1

    SimFaults faults;
    bool lostInputs[kMaxChannels] = {};
    int flapSeconds = 0;

    std::string logPath;
    bool logMs = false;           // --log-ms: each logged line after the milliseconds since the start
    int seconds = 0;              // 0 = until stopped
    char firmwareVersion[5] = "1.00";
    int64_t clockMs = -1;         // --clock: each unit's clock at start, ms since 2000; -1 = the PC's local time
};

// Parses argv[1..]. On failure returns false with a message for the user.
bool ParseSimOptions(int argc, const char* const* argv, SimOptions& options, std::string& error);

// What --version prints: the name and the release, one line.
const char* SimVersionText();

// The text of --help.
const char* SimHelpText();
