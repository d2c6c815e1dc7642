// Wakes the simulator's one blocking wait from outside it: from a signal
// handler (stop requests) or from the Windows serial worker thread (bytes
// arrived). POSIX uses a pipe, Windows a loopback UDP socket, so that the wake
// is one more handle in the same wait.
#pragma once

#include <string>

#include "net/sockets.h"

bool OpenWaker(std::string& error);
void CloseWaker();
NetHandle WakerHandle();
// Safe in a signal handler and from any thread.
void PokeWaker();
// Empties the wake handle after the wait returned for it.
void DrainWaker();

// SIGINT and SIGTERM (Ctrl+C, Ctrl+Break and closing the console on Windows)
// ask the simulator to stop; broken connections never kill it (SIGPIPE).
void InstallStopHandlers();
bool StopRequested();
