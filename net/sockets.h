// The little of BSD sockets and Winsock the simulator and the command-line
// tool need, behind one set of functions: TCP listening, accepting,
// connecting, non-blocking transfer and one blocking wait over many handles.
#pragma once

#include <cstdint>
#include <string>

// A socket, or on POSIX any file descriptor (the pty, the wake pipe).
using NetHandle = intptr_t;
constexpr NetHandle kNoHandle = -1;

bool StartNetworking(std::string& error);
void StopNetworking();

// Listens on `address`:`port` (port 0: any free port; the port taken is
// returned in `boundPort`). Non-blocking.
NetHandle ListenTcp(const char* address, int port, int& boundPort, std::string& error);
// A pending connection, non-blocking; kNoHandle when none is pending.
NetHandle AcceptTcp(NetHandle listener);
// Connects within `timeoutMs`; the socket is non-blocking afterwards.
NetHandle ConnectTcp(const char* host, int port, int timeoutMs, std::string& error);
void CloseSocket(NetHandle socket);
// The other end of a connected socket as "a.b.c.d:port"; "" when unknown.
std::string PeerAddress(NetHandle socket);

// > 0: bytes received; 0: nothing now; -1: closed by the peer or failed.
int ReceiveSome(NetHandle socket, char* buffer, int capacity);
// Bytes taken (0 when the socket takes nothing now); -1: failed.
int SendSome(NetHandle socket, const char* data, int count);

struct WaitItem {
    NetHandle handle;
    bool wantWrite;
    bool readable;   // out: data, a connection, or a hang-up to read
    bool writable;   // out
};

// Blocks until an item is ready or `timeoutMs` passes (-1: no limit).
// An interrupted wait (a signal) returns with nothing ready.
void WaitForItems(WaitItem* items, int count, int timeoutMs);

// Milliseconds of a monotonic clock.
int64_t MonotonicMs();
// A time on that clock that never comes: nothing is due.
constexpr int64_t kNever = INT64_MAX;
