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
// The entry holding `socket` (searching 0..96), or 0 when none does.
int FindConnectionEntry(uintptr_t socket);
// The lowest free entry 1..96, or 0 when all 96 are in use.
int FindFreeConnectionEntry();
// Stores an accepted unit in entry `index`.
void TakeConnectionEntry(int index, uintptr_t socket, const char* peerAddress);
// Frees entry `index` (1..96; entry 0 stays reserved).
void FreeConnectionEntry(int index);
// The entry that commands go to in server mode, or 0 when none is usable.
int SelectedServerEntry();
