#include "sim/waker.h"

#include <atomic>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

std::atomic<bool> Stopping{false};

#ifdef _WIN32
SOCKET WakeReceiver = INVALID_SOCKET;
SOCKET WakeSender = INVALID_SOCKET;
sockaddr_in WakeAddress;

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
        Stopping = true;
        PokeWaker();
        return TRUE;
    }
    return FALSE;
}
#else
int WakePipe[2] = {-1, -1};

void OnStopSignal(int)
{
    Stopping = true;
    PokeWaker();
}
#endif

} // namespace

bool OpenWaker(std::string& error)
{
#ifdef _WIN32
    WakeReceiver = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    WakeSender = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    memset(&WakeAddress, 0, sizeof WakeAddress);
    WakeAddress.sin_family = AF_INET;
    WakeAddress.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    WakeAddress.sin_port = 0;
    int length = sizeof WakeAddress;
    u_long on = 1;
    if (WakeReceiver == INVALID_SOCKET || WakeSender == INVALID_SOCKET ||
        bind(WakeReceiver, reinterpret_cast<sockaddr*>(&WakeAddress), sizeof WakeAddress) != 0 ||
        getsockname(WakeReceiver, reinterpret_cast<sockaddr*>(&WakeAddress), &length) != 0 ||
        ioctlsocket(WakeReceiver, FIONBIO, &on) != 0) {
        error = "cannot create the loopback wake socket";
        return false;
    }
#else
    if (pipe(WakePipe) != 0) {
        error = "cannot create the wake pipe";
        return false;
    }
    for (int fd : WakePipe)
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL, 0) | O_NONBLOCK);
#endif
    return true;
}

void CloseWaker()
{
#ifdef _WIN32
    closesocket(WakeReceiver);
    closesocket(WakeSender);
    WakeReceiver = WakeSender = INVALID_SOCKET;
#else
    for (int& fd : WakePipe) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
#endif
}

NetHandle WakerHandle()
{
#ifdef _WIN32
    return static_cast<NetHandle>(WakeReceiver);
#else
    return WakePipe[0];
#endif
}

void PokeWaker()
{
#ifdef _WIN32
    sendto(WakeSender, "w", 1, 0, reinterpret_cast<const sockaddr*>(&WakeAddress), sizeof WakeAddress);
#else
    const int saved = errno;
    if (WakePipe[1] >= 0) {
        const ssize_t ignored = write(WakePipe[1], "w", 1);   // a full pipe is awake already
        (void)ignored;
    }
    errno = saved;
#endif
}

void DrainWaker()
{
    char buffer[64];
#ifdef _WIN32
    while (recv(WakeReceiver, buffer, sizeof buffer, 0) > 0) {
    }
#else
    while (read(WakePipe[0], buffer, sizeof buffer) > 0) {
    }
#endif
}

void InstallStopHandlers()
{
#ifdef _WIN32
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
#endif
}

bool StopRequested()
{
    return Stopping;
}
