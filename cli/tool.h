// The kvr2840e-cli tool: parses its command line, checks the settings file and
// the output before anything is sent, opens the link and runs every unit's
// exchange in one event loop (one wait over all links, per-unit timers). The
// sub-commands on files alone run in cli/file_commands.h.
#pragma once

#include <string>

int RunTool(int argc, const char* const* argv);

// The file of unit `number` when several units read at once: FILE-NN.dat.
std::string UnitOutputPath(const std::string& path, int number, bool many);
