// Shared by the simulator's tests: units at a fixed time, one-command
// exchanges with the interpreter, and the whole-catalogue round trip that
// drives the program's builders and parsers against a simulated unit over
// whichever wire a test installs. Each test starts from the core's
// ResetProgramState.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/program_state.h"
#include "sim/command_interpreter.h"
#include "sim/unit_link.h"
#include "sim/unit_state.h"

// 2024-03-05 09:07:08, the unit clock of every test unit.
constexpr int64_t kTestWallSeconds = 762944828;

std::unique_ptr<SimUnit> MakeTestUnit(int number = 1, int64_t nowMs = 0);

// The reply text of one command (without line end in `command`).
std::string Ask(SimUnit& unit, const std::string& command, int64_t nowMs = 0,
                SimLinkKind link = kSimLinkSerial);

// "X" repeated `count` times.
std::string Times(const std::string& text, int count);

// Program-side wires that hand every frame straight to a simulator link at
// time 0 and parse the reply at once: the serial parser for frames, the
// dialog-side parser for TCP commands.
void UseInProcessSerialWire(LinkEndpoint& link);
void UseInProcessTcpWire(LinkEndpoint& link);

// The whole catalogue through the program's builders: every set command
// must be answered "GO", every read must come back in a form the program's
// parser accepts and carry what was set. The unit must be fresh. The unit
// network commands go over the serial link only; the TCP run checks the
// identification instead, by the reply form of that side.
void RunSettingsRoundTrip();
void RunUnitNetworkRoundTrip(const char* expectedMac, const char* expectedVersion);
void RunTcpIdentification(const char* expectedVersion);
