// The unit's side of the protocol: one command line in, one reply line out.
// Every command of the catalogue is parsed here, field by field, independently
// of the program's reply parser, so that each side checks the other.
//
// Besides the program's reads, the unit answers reads of the settings the
// program only writes ("R" followed by the reply's mnemonic: RAIP, RADT,
// RABOO, RADO, RARO, RAIN, RAOM, RAOS, RTSDR, RTSDS, RTSI, RTSO, RCTnn,
// RCTI, RCTO, RCTPI, RCTSI, RCTAT, RCTAB, RPMO, RPOO, RPN). Their replies are
// the ones the program's parser knows, so every setting can be read back.
// RDT reads the unit's running clock to the millisecond ("DT2026/12/31
// 23:59:59.500"), which a real unit shows only on screen.
#pragma once

#include <cstdint>

#include "sim/unit_state.h"

// The identification reply differs by link: the serial side of the program
// expects "KVR-2840E" in front, the TCP side "VN".
enum SimLinkKind { kSimLinkSerial, kSimLinkTcp };

constexpr int kUnitReplyBytes = 640;   // the longest reply (LARGE glyph data) is 586 characters

struct UnitReply {
    char text[kUnitReplyBytes];  // NUL-terminated, ends in "\r\n"
    int length;
};

enum CommandOutcome {
    kCommandSet,      // a set command that passed every check; the reply is "GO"
    kCommandRead,     // a read; the reply holds the data
    kCommandRefused,  // malformed or out of range; the reply is "E3" and nothing changed
};

// Interprets one command, given without its line end. A set command is
// applied only when `applySets` is true (a unit that answers with a notice
// instead of "GO" has not taken the setting); it is checked in full either
// way, and a refused command changes nothing at all.
CommandOutcome InterpretCommand(SimUnit& unit, const char* command, int length, SimLinkKind link,
                                bool applySets, int64_t nowMs, UnitReply& reply);

// Writes a status word ("GO", "E3", "MENU" ...) with its line end.
void WriteStatusReply(const char* word, UnitReply& reply);
