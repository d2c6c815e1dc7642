#include "link/tcp_link.h"

#include <cstdio>
#include <cstring>

#include "app/config_values.h"
#include "app/main_window.h"
#include "app/status_timer.h"
#include "link/link_state.h"
#include "link/message_ops.h"
#include "link/send_path.h"
#include "link/tcp_state.h"
#include "link/transaction.h"
#include "protocol/command_builder.h"
#include "protocol/device_model.h"
#include "protocol/reply_parser.h"

HWND TcpDialogWindow = nullptr;
void (*RefreshTcpDialog)() = nullptr;

namespace {

constexpr long kClientEvents = FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE;
constexpr long kListenEvents = FD_READ | FD_WRITE | FD_ACCEPT | FD_CLOSE;
constexpr long kUnitEvents = FD_READ | FD_WRITE | FD_CLOSE;
constexpr DWORD kReplyWaitMs = 3000;

// Starts of the socket library not yet ended: 1 while the link holds a
// socket, else 0.
int LibraryStarts = 0;

// The link's failures: plain boxes without owner, caption "ERROR", error icon.
void ShowSocketError(const char* text)
{
    ShowMessage({text, "ERROR", kIconError, kButtonsOk, false, kOwnerNone});
}

void ShowSocketError(const char* format, int code)
{
    char text[160];
    snprintf(text, sizeof text, format, code);
    ShowSocketError(text);
}

bool StartLibrary()
{
    if (LibraryStarts > 0)
        return true;
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) {
        ShowSocketError("WINSOCK.DLLが導入されていません。");
        return false;
    }
    if (data.wVersion != MAKEWORD(1, 1)) {
        WSACleanup();
        ShowSocketError("WINSOCK.DLLのバーションが違います。");
        return false;
    }
    ++LibraryStarts;
    return true;
}

bool AnyUnitConnected()
{
    for (int i = 1; i < kConnectionEntries; ++i)
        if (ConnectionTable[i].inUse)
            return true;
    return false;
}

// The library is ended as soon as the link holds no socket any more, so
// that every start has its end, however the sockets went.
void EndLibraryWhenUnused()
{
    if (LibraryStarts > 0 && MainSocket == 0 && !AnyUnitConnected()) {
        WSACleanup();
        --LibraryStarts;
    }
}

void CloseMainSocket()
{
    if (MainSocket) {
        WSAAsyncSelect(MainSocket, TcpDialogWindow, 0, 0);
        shutdown(MainSocket, SD_BOTH);
        closesocket(MainSocket);
        MainSocket = 0;
    }
}

// Connect or Listen failed after the library was started: the socket is
// closed and the library ended before the failure is shown.
bool FailOpening(const char* text, int code = 0)
{
    CloseMainSocket();
    EndLibraryWhenUnused();
    ShowSocketError(text, code);
    return false;
}

// A socket for MainSocket, registered with the TCP/IP dialog; false after
// its failure has been shown.
bool CreateMainSocket(long events)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return FailOpening("WINSOCK.DLLが動作していません。[%d]", WSAGetLastError());
    if (WSAAsyncSelect(s, TcpDialogWindow, WM_SOCKET_EVENT, events) == SOCKET_ERROR) {
        const int error = WSAGetLastError();
        closesocket(s);
        return FailOpening("WINSOCK.DLLの WSAAsyncSelect() からのエラー。[%d]", error);
    }
    MainSocket = s;
    return true;
}

void Refresh()
{
    if (RefreshTcpDialog)
        RefreshTcpDialog();
}

void Accept()
{
    const int entry = FindFreeConnectionEntry();
    sockaddr_in peer = {};
    int peerLength = sizeof peer;
    SOCKET unit = accept(MainSocket, reinterpret_cast<sockaddr*>(&peer), &peerLength);
    if (unit == INVALID_SOCKET) {
        ShowSocketError("WINSOCK.DLLの accept() からのエラー。[%d]", WSAGetLastError());
        return;
    }
    if (entry == 0) {
        // All 96 places are taken: the unit is turned away without a word.
        closesocket(unit);
        return;
    }
    if (WSAAsyncSelect(unit, TcpDialogWindow, WM_SOCKET_EVENT, kUnitEvents) == SOCKET_ERROR) {
        const int error = WSAGetLastError();
        closesocket(unit);
        ShowSocketError("WINSOCK.DLLの WSAAsyncSelect() からのエラー。[%d]", error);
        return;
    }
    TakeConnectionEntry(entry, unit, inet_ntoa(peer.sin_addr));
    Refresh();
}

// The socket of the connection commands go to, or INVALID_SOCKET.
SOCKET SelectedSocket()
{
    if (ClientServerMode == kModeServer) {
        const int entry = SelectedServerEntry();
        return entry ? static_cast<SOCKET>(ConnectionTable[entry].socket) : INVALID_SOCKET;
    }
    return MainSocket ? static_cast<SOCKET>(MainSocket) : INVALID_SOCKET;
}

// A socket of the link, or one that was closed and still has notifications
// queued (they are dropped).
bool IsLinkSocket(SOCKET s)
{
    return (MainSocket != 0 && static_cast<uintptr_t>(s) == MainSocket) || FindConnectionEntry(s) > 0;
}

// A send that failed also closes a status window that polls through this link.
void FailTcpSend(const char* text)
{
    FailCommand(text);
    CloseIoStatusWindow();
}

} // namespace

int TcpConnect()
{
    if (HostTable.count <= 0 || CurrentConnection < 0 || CurrentConnection >= HostTable.count) {
        ShowSocketError("接続先のホストを「Host List」から選んでください。");
        return 0;
    }
    int port = 0;
    if (CheckUnitPort(DeviceModel.UnitNetwork.destinationPortText, port) != kUnitPortGood) {
        ShowSocketError("ポート番号は 1～65535 にしてください。");
        return 0;
    }
    if (!StartLibrary())
        return 0;
    // A connection still open is replaced: nothing is connected until the
    // new one is made.
    CloseMainSocket();
    SetTcpConnected(0);
    if (!CreateMainSocket(kClientEvents))
        return 0;

    const int* octets = HostTable.address[CurrentConnection];
    char address[16];
    snprintf(address, sizeof address, "%d.%d.%d.%d", octets[0], octets[1], octets[2], octets[3]);
    sockaddr_in unit = {};
    unit.sin_family = AF_INET;
    unit.sin_port = htons(static_cast<u_short>(port));
    unit.sin_addr.s_addr = inet_addr(address);
    if (connect(MainSocket, reinterpret_cast<sockaddr*>(&unit), sizeof unit) == SOCKET_ERROR &&
        WSAGetLastError() != WSAEWOULDBLOCK) {
        FailOpening("接続できません");
        return 0;
    }
    return 1;
}

int TcpListen()
{
    if (MainSocket)
        return 1;
    int port = 0;
    if (CheckUnitPort(DeviceModel.UnitNetwork.sourcePortText, port) != kUnitPortGood) {
        ShowSocketError("ポート番号は 1～65535 にしてください。");
        return 0;
    }
    if (!StartLibrary())
        return 0;
    if (!CreateMainSocket(kListenEvents))
        return 0;
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<u_short>(port));
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(MainSocket, reinterpret_cast<sockaddr*>(&local), sizeof local) == SOCKET_ERROR &&
        WSAGetLastError() != WSAEWOULDBLOCK) {
        FailOpening("Bindできません");
        return 0;
    }
    if (listen(MainSocket, 5) == SOCKET_ERROR) {
        FailOpening("WINSOCK.DLLの listen() からのエラー。[%d]", WSAGetLastError());
        return 0;
    }
    return 1;
}

void TcpCloseConnection(SOCKET s)
{
    WSAAsyncSelect(s, TcpDialogWindow, 0, 0);
    shutdown(s, SD_BOTH);
    closesocket(s);
    const int entry = FindConnectionEntry(s);
    if (entry > 0)
        FreeConnectionEntry(entry);   // the selected unit: no unit is selected any more
    if (MainSocket != 0 && static_cast<uintptr_t>(s) == MainSocket) {
        // Nothing may use the closed handle again: "接続" is offered again,
        // and "切断" must not close it a second time (the value may by then
        // be a new unit's socket).
        MainSocket = 0;
        // The client connection: nothing can be sent any more.
        if (ClientServerMode == kModeClient)
            SetTcpConnected(0);
    }
    EndLibraryWhenUnused();
    Refresh();
}

void TcpDisconnectAll()
{
    CloseMainSocket();
    for (int i = 1; i < kConnectionEntries; ++i)
        if (ConnectionTable[i].inUse)
            TcpCloseConnection(static_cast<SOCKET>(ConnectionTable[i].socket));
    EndLibraryWhenUnused();
    ResetConnectionState();
}

int SocketLibraryStarts()
{
    return LibraryStarts;
}

void RegisterTcpSockets(HWND window)
{
    TcpDialogWindow = window;
    if (MainSocket)
        WSAAsyncSelect(MainSocket, window, WM_SOCKET_EVENT,
                       ClientServerMode == kModeServer ? kListenEvents : kClientEvents);
    for (int i = 1; i < kConnectionEntries; ++i)
        if (ConnectionTable[i].inUse)
            WSAAsyncSelect(static_cast<SOCKET>(ConnectionTable[i].socket), window, WM_SOCKET_EVENT, kUnitEvents);
}

void HandleSocketEvent(WPARAM wParam, LPARAM lParam)
{
    const SOCKET s = static_cast<SOCKET>(wParam);
    const int event = WSAGETSELECTEVENT(lParam);
    // A box below runs a message loop in which further events are handled:
    // each case changes the state before its box, and an event of a socket
    // that has been closed meanwhile is dropped.
    if (!IsLinkSocket(s))
        return;
    if (WSAGETSELECTERROR(lParam) != 0) {
        TcpCloseConnection(s);
        ShowReplyError("ソケットイベントにエラーが発生しました。");
        return;
    }
    switch (event) {
    case FD_READ: {
        // The main window looks after the sockets while no TCP/IP dialog is
        // open; it leaves the bytes on the socket for the next reply wait.
        if (TcpDialogWindow == MainWindow)
            break;
        const int entry = FindConnectionEntry(s);
        ReceivedByteCount = recv(s, ReceiveBuffer, kReceiveBufferBytes, 0);
        PostMessageW(TcpDialogWindow, WM_DEVICE_REPLY, static_cast<WPARAM>(entry), 0);
        break;
    }
    case FD_WRITE:
        break;
    case FD_ACCEPT:
        Accept();
        break;
    case FD_CONNECT:
        SetTcpConnected(1);
        Refresh();
        ShowInfo("Socket 接続 OK");
        break;
    case FD_CLOSE:
        TcpCloseConnection(s);
        break;
    default: {
        char text[64];
        snprintf(text, sizeof text, "ﾈｯﾄﾜｰｸ･ｴﾗｰ(event %d)", event);
        ShowMessage({text, "ERROR", kIconNone, kButtonsOk, false, kOwnerNone});
        break;
    }
    }
}

void SendTcp(const char* command)
{
    const SOCKET s = TcpConnected ? SelectedSocket() : INVALID_SOCKET;
    if (s == INVALID_SOCKET) {
        FailTcpSend("Socket が接続されていません");
        return;
    }
    if (send(s, command, static_cast<int>(strlen(command)), 0) != SOCKET_ERROR) {
        WaitTcpReply();
        return;
    }
    // Would block: the command stays outstanding until the status timer's time-out.
    if (WSAGetLastError() == WSAEWOULDBLOCK)
        return;
    FailTcpSend("Socket 送信");
}

int WaitTcpReply()
{
    memset(ReceiveBuffer, 0, sizeof ReceiveBuffer);
    const DWORD start = GetTickCount();
    while (AppRunning) {
        const SOCKET s = SelectedSocket();
        const DWORD waited = GetTickCount() - start;
        if (s == INVALID_SOCKET || waited >= kReplyWaitMs)
            break;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(s, &readable);
        const DWORD left = kReplyWaitMs - waited;
        timeval timeout = {static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000)};
        if (select(0, &readable, nullptr, nullptr, &timeout) <= 0)
            continue;
        const int got = recv(s, ReceiveBuffer, kReceiveBufferBytes, 0);
        if (got > 0) {
            ReceivedByteCount = got;
            PostMessageW(OpenDialog, WM_DEVICE_REPLY, static_cast<WPARAM>(CurrentConnection), 0);
            return 0;
        }
        if (got == 0 || WSAGetLastError() != WSAEWOULDBLOCK) {
            // The unit closed (or reset) the connection instead of answering:
            // the command failed as a send does, and is told so (the close
            // event frees the connection).
            ReceivedByteCount = got;
            FailTcpSend("Socket 送信");
            return 0;
        }
    }
    ReceivedByteCount = SOCKET_ERROR;
    FailCommand("Answer が､きません");
    return 0;
}

void HandleDeviceReply()
{
    if (ParseDialogReply(DeviceModel, ReceiveBuffer, ReceivedByteCount) == kDialogReplyPartial)
        WaitTcpReply();
}

void InstallTcpTransport()
{
    ActiveTransport.sendTcp = SendTcp;
    ResetConnectionState();
}
