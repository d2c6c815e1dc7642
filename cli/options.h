// The tool's command line: a sub-command, a link, and their options.
#pragma once

#include <string>
#include <vector>

#include "files/provisioning.h"

// kTitles is the group "titles" itself: its help, or its missing word.
enum class ToolCommand {
    kNone, kReadAll, kSetAll, kVerify, kSend, kProvision, kTitles, kTitlesExport, kTitlesImport, kDiff, kReport
};
enum class LinkKind { kNone, kSerial, kTcp, kListen };

constexpr int kExitDone = 0;
constexpr int kExitUnitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitLinkFailed = 3;

struct ToolOptions {
    ToolCommand command = ToolCommand::kNone;
    LinkKind link = LinkKind::kNone;
    std::string device;         // --serial
    int address;                // --address: 0..31, kSlaveBroadcast; kNoAddressPrefix for RS-232C
    // --address with several units of one RS-485 bus ("0,5,7", "0-15"): each
    // runs the sub-command in turn; `address` is the first of them.
    std::vector<int> addresses;
    std::string host;           // --tcp HOST:PORT
    int port = 0;
    int listenPort = 0;         // --listen (0: any free port)
    int units = 0;              // --units
    int waitSeconds = 60;       // --wait
    std::string file;           // the settings file: read by set-all and verify, written by read-all (-o);
                                // titles export and import: FILE.dat; diff: A.dat
    std::string table;          // titles import: TITLES.csv
    std::string secondFile;     // diff: B.dat
    std::string output;         // titles export and import, report: -o
    std::string compare;        // report --compare OTHER.dat
    bool showPassword = false;  // report --show-password
    std::string text;           // send
    int paceMs = -1;            // --pace-ms; -1: the dialogs' pace (provision: as soon as the reply is in)
    ProvisionSections sections = kProvisionDefault;   // provision --sections
    bool clock = false;         // provision --clock
    bool dryRun = false;        // provision --dry-run: the command lines on stdout, nothing sent
    bool bom = true;            // titles export: a UTF-8 byte order mark first (--no-bom: none)
    bool force = false;
    bool json = false;
    bool help = false;
    bool version = false;   // --version

    ToolOptions();
};

// The sub-commands that need no unit and no link: they work on files alone.
bool IsFileCommand(ToolCommand command);

// False with `error` set when the command line is not usable.
bool ParseToolOptions(int argc, const char* const* argv, ToolOptions& options, std::string& error);

// What --version prints: the name and the release, one line.
const char* VersionText();

// The help of a sub-command, or of the tool for kNone.
const char* HelpText(ToolCommand command);
const char* CommandName(ToolCommand command);
