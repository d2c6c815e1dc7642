// The main window's guards and the way the program ends.
#pragma once

#include "protocol/device_model.h"

// Broadcast guard: on an RS-485 serial link with the slave address
// "Broadcast" a command that needs answers is refused with an error box.
// Returns true when the command may go on.
bool BroadcastGuardPasses();
// TCP guard: while a TCP/IP connection is up, the link settings stay as they are.
bool TcpGuardPasses();
// The end of the program (menu or close box): the save question, then the
// refusal while TCP/IP is connected. True when the program may end now.
// `model` is what the save question saves.
bool ConfirmProgramEnd(const DeviceModelData& model);
