#include "link/tcp_state.h"

#include <cstdio>
#include <cstring>

#include "link/link_state.h"
#include "protocol/reply_parser.h"

ConnectionEntry ConnectionTable[kConnectionEntries];
int CurrentConnection = kNoConnection;
uintptr_t MainSocket = 0;
char ReceiveBuffer[kReceiveBufferBytes];
int ReceivedByteCount = 0;

void ResetConnectionState()
{
    memset(ConnectionTable, 0, sizeof ConnectionTable);
    ConnectionTable[0].inUse = 1;
    SetTcpConnected(0);
}

void SetTcpConnected(int connected)
{
    TcpConnected = connected;
    ResetDialogReplyLine();
}

int FindConnectionEntry(uintptr_t socket)
{
    for (int i = 0; i < kConnectionEntries; ++i)
        if (ConnectionTable[i].socket == socket && ConnectionTable[i].inUse)
            return i;
    return 0;
}

int FindFreeConnectionEntry()
{
    for (int i = 1; i < kConnectionEntries; ++i)
        if (!ConnectionTable[i].inUse)
            return i;
    return 0;
}

void TakeConnectionEntry(int index, uintptr_t socket, const char* peerAddress)
{
    if (index < 1 || index >= kConnectionEntries)
        return;
    ConnectionEntry& entry = ConnectionTable[index];
    entry.inUse = 1;
    entry.socket = socket;
    snprintf(entry.peerAddress, sizeof entry.peerAddress, "%s", peerAddress);
}

void FreeConnectionEntry(int index)
{
    if (index < 1 || index >= kConnectionEntries)
        return;
    ConnectionEntry& entry = ConnectionTable[index];
    entry.inUse = 0;
    entry.socket = 0;
    memset(entry.peerAddress, 0, sizeof entry.peerAddress);
    entry.peerAddress[0] = ' ';
    if (ClientServerMode == kModeServer && index == CurrentConnection) {
        CurrentConnection = kNoConnection;
        SetTcpConnected(0);
    }
}

bool SelectServerEntry(int index)
{
    if (index < 1 || index >= kConnectionEntries || !ConnectionTable[index].inUse)
        return false;
    CurrentConnection = index;
    SetTcpConnected(1);
    return true;
}

int SelectedServerEntry()
{
    if (CurrentConnection < 1 || CurrentConnection >= kConnectionEntries)
        return 0;
    return ConnectionTable[CurrentConnection].inUse ? CurrentConnection : 0;
}
