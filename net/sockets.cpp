#include "net/sockets.h"

#include <chrono>
#include <cstring>
#include <vector>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
using NativeSocket = SOCKET;
const NativeSocket kInvalidSocket = INVALID_SOCKET;

int LastSocketError()
{
    return WSAGetLastError();
}

bool WouldBlock(int error)
{
    return error == WSAEWOULDBLOCK || error == WSAEINTR;
}

void CloseNative(NativeSocket s)
{
    closesocket(s);
}

bool SetNonBlocking(NativeSocket s)
{
    u_long on = 1;
    return ioctlsocket(s, FIONBIO, &on) == 0;
}

constexpr int kSendFlags = 0;
#else
using NativeSocket = int;
const NativeSocket kInvalidSocket = -1;

int LastSocketError()
{
    return errno;
}

bool WouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR || error == EINPROGRESS;
}

void CloseNative(NativeSocket s)
{
    close(s);
}

bool SetNonBlocking(NativeSocket s)
{
    const int flags = fcntl(s, F_GETFL, 0);
    return flags >= 0 && fcntl(s, F_SETFL, flags | O_NONBLOCK) == 0;
}

#ifdef MSG_NOSIGNAL
constexpr int kSendFlags = MSG_NOSIGNAL;
#else
constexpr int kSendFlags = 0;   // SIGPIPE is ignored instead
#endif
#endif

NativeSocket Native(NetHandle handle)
{
    return static_cast<NativeSocket>(handle);
}

NetHandle Handle(NativeSocket socket)
{
    return socket == kInvalidSocket ? kNoHandle : static_cast<NetHandle>(socket);
}

std::string SocketError(const char* what)
{
    return std::string(what) + " failed (error " + std::to_string(LastSocketError()) + ")";
}

// Small replies, one command at a time: send each at once.
void NoDelay(NativeSocket s)
{
    int on = 1;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
}

bool ResolveIpv4(const char* host, int port, sockaddr_in& address, std::string& error)
{
    addrinfo hints;
    memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (getaddrinfo(host, service.c_str(), &hints, &found) != 0 || !found) {
        error = std::string("cannot resolve ") + host;
        return false;
    }
    memcpy(&address, found->ai_addr, sizeof address);
    freeaddrinfo(found);
    return true;
}

// Waits until a connecting socket is connected or has failed.
bool WaitConnected(NativeSocket s, int timeoutMs)
{
#ifdef _WIN32
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    if (select(0, nullptr, &writable, &failed, &timeout) <= 0 || FD_ISSET(s, &failed))
        return false;
#else
    pollfd item{s, POLLOUT, 0};
    int ready;
    do {
        ready = poll(&item, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0)
        return false;
#endif
    int result = 0;
    socklen_t length = sizeof result;
    if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&result), &length) != 0)
        return false;
    return result == 0;
}

} // namespace

bool StartNetworking(std::string& error)
{
#ifdef _WIN32
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        error = "the socket library cannot be started";
        return false;
    }
#else
    (void)error;
#endif
    return true;
}

void StopNetworking()
{
#ifdef _WIN32
    WSACleanup();
#endif
}

NetHandle ListenTcp(const char* address, int port, int& boundPort, std::string& error)
{
    sockaddr_in local;
    if (!ResolveIpv4(address, port, local, error))
        return kNoHandle;
    const NativeSocket s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == kInvalidSocket) {
        error = SocketError("socket");
        return kNoHandle;
    }
#ifndef _WIN32
    // A restarted simulator gets its port back at once.
    int on = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
#endif
    if (bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        error = SocketError("bind") + " on " + address + ":" + std::to_string(port);
        CloseNative(s);
        return kNoHandle;
    }
    if (listen(s, 128) != 0 || !SetNonBlocking(s)) {
        error = SocketError("listen");
        CloseNative(s);
        return kNoHandle;
    }
    sockaddr_in bound;
    socklen_t length = sizeof bound;
    getsockname(s, reinterpret_cast<sockaddr*>(&bound), &length);
    boundPort = ntohs(bound.sin_port);
    return Handle(s);
}

NetHandle AcceptTcp(NetHandle listener)
{
    const NativeSocket s = accept(Native(listener), nullptr, nullptr);
    if (s == kInvalidSocket)
        return kNoHandle;
    if (!SetNonBlocking(s)) {
        CloseNative(s);
        return kNoHandle;
    }
    NoDelay(s);
    return Handle(s);
}

NetHandle ConnectTcp(const char* host, int port, int timeoutMs, std::string& error)
{
    sockaddr_in remote;
    if (!ResolveIpv4(host, port, remote, error))
        return kNoHandle;
    const NativeSocket s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == kInvalidSocket || !SetNonBlocking(s)) {
        error = SocketError("socket");
        if (s != kInvalidSocket)
            CloseNative(s);
        return kNoHandle;
    }
    if (connect(s, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0 &&
        !(WouldBlock(LastSocketError()) && WaitConnected(s, timeoutMs))) {
        error = std::string("cannot connect to ") + host + ":" + std::to_string(port);
        CloseNative(s);
        return kNoHandle;
    }
    NoDelay(s);
    return Handle(s);
}

void CloseSocket(NetHandle socket)
{
    if (socket != kNoHandle)
        CloseNative(Native(socket));
}

std::string PeerAddress(NetHandle socket)
{
    sockaddr_in peer;
    socklen_t length = sizeof peer;
    if (getpeername(Native(socket), reinterpret_cast<sockaddr*>(&peer), &length) != 0)
        return "";
    const unsigned long host = ntohl(peer.sin_addr.s_addr);
    return std::to_string((host >> 24) & 255) + "." + std::to_string((host >> 16) & 255) + "." +
           std::to_string((host >> 8) & 255) + "." + std::to_string(host & 255) + ":" +
           std::to_string(ntohs(peer.sin_port));
}

int ReceiveSome(NetHandle socket, char* buffer, int capacity)
{
    const int n = static_cast<int>(recv(Native(socket), buffer, capacity, 0));
    if (n > 0)
        return n;
    if (n < 0 && WouldBlock(LastSocketError()))
        return 0;
    return -1;
}

int SendSome(NetHandle socket, const char* data, int count)
{
    const int n = static_cast<int>(send(Native(socket), data, count, kSendFlags));
    if (n >= 0)
        return n;
    return WouldBlock(LastSocketError()) ? 0 : -1;
}

void WaitForItems(WaitItem* items, int count, int timeoutMs)
{
#ifdef _WIN32
    std::vector<WSAPOLLFD> polled(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        polled[i].fd = Native(items[i].handle);
        polled[i].events = static_cast<SHORT>(POLLRDNORM | (items[i].wantWrite ? POLLWRNORM : 0));
        polled[i].revents = 0;
    }
    const int ready = WSAPoll(polled.data(), static_cast<ULONG>(count), timeoutMs);
    const SHORT readMask = POLLRDNORM | POLLHUP | POLLERR | POLLNVAL;
    const SHORT writeMask = POLLWRNORM;
#else
    std::vector<pollfd> polled(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        polled[i].fd = static_cast<int>(items[i].handle);
        polled[i].events = static_cast<short>(POLLIN | (items[i].wantWrite ? POLLOUT : 0));
        polled[i].revents = 0;
    }
    const int ready = poll(polled.data(), static_cast<nfds_t>(count), timeoutMs);
    const short readMask = POLLIN | POLLHUP | POLLERR | POLLNVAL;
    const short writeMask = POLLOUT;
#endif
    for (int i = 0; i < count; ++i) {
        items[i].readable = ready > 0 && (polled[i].revents & readMask) != 0;
        items[i].writable = ready > 0 && (polled[i].revents & writeMask) != 0;
    }
}

int64_t MonotonicMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
