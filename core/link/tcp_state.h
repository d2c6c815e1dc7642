// TCP/IP link state: the connection table of the PC's server, the selected
// connection and the receive buffer the reply wait fills.
#pragma once

#include <cstdint>

constexpr int kConnectionEntries = 97;   // entry 0 is reserved; units use 1..96
constexpr int kMaxUnits = 96;
constexpr int kReceiveBufferBytes = 1024;
constexpr int kNoConnection = -1;

struct ConnectionEntry {
    int inUse;
    uintptr_t socket;        // a Winsock SOCKET is pointer-sized
    char peerAddress[16];    // dotted decimal text, " " when freed
};

extern ConnectionEntry ConnectionTable[kConnectionEntries];
// Client: the host index that was connected; server: the entry commands go to, or -1.
extern int CurrentConnection;
// Client: the connected socket; server: the listening socket; 0 = none.
extern uintptr_t MainSocket;
extern char ReceiveBuffer[kReceiveBufferBytes];
extern int ReceivedByteCount;

// Every entry cleared, entry 0 marked in use, TcpConnected 0.
void ResetConnectionState();
// The connection that commands go to has been made (1) or is gone (0). A
// reply line begun before belongs to no command that can follow, so it is
// thrown away.
void SetTcpConnected(int connected);
// The entry holding `socket` (searching 0..96), or 0 when none does.
int FindConnectionEntry(uintptr_t socket);
// The lowest free entry 1..96, or 0 when all 96 are in use.
int FindFreeConnectionEntry();
// Stores an accepted unit in entry `index`.
void TakeConnectionEntry(int index, uintptr_t socket, const char* peerAddress);
// Frees entry `index` (1..96; entry 0 stays reserved). When it is the unit
// that commands go to (server mode), no unit is selected any more, so that a
// unit that connects later into the same entry gets no command the user did
// not send to it.
void FreeConnectionEntry(int index);
// Server mode: commands go to the unit in entry `index` from now on. False,
// changing nothing, when no unit is in that entry.
bool SelectServerEntry(int index);
// The entry that commands go to in server mode, or 0 when none is usable.
int SelectedServerEntry();
