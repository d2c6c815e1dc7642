// The TCP/IP link: the PC as client of one unit or as server of up to 96,
// socket notifications to the TCP/IP dialog, and the command sender with its
// reply wait.
#pragma once

#include <winsock2.h>
#include <windows.h>

// Socket notifications to the TCP/IP dialog: wParam = socket, lParam = event
// in the low word and error in the high word.
#define WM_SOCKET_EVENT (WM_USER + 10)

// The client or server dialog that receives the socket notifications, and
// how it shows the link's state again after a change.
extern HWND TcpDialogWindow;
extern void (*RefreshTcpDialog)();

// Client mode: connects to host CurrentConnection of HostTable on the
// destination port. 1 when the connection has been started, 0 on failure.
int TcpConnect();
// Server mode: listens on the source port. 1 when listening (also when
// already listening), 0 on failure.
int TcpListen();
// Closes every socket, ends the use of the socket library, resets the state.
void TcpDisconnectAll();
// Starts of the socket library not yet ended: 1 while the link holds a
// socket, 0 once it holds none (after a failed Connect or Listen, a closed
// connection, Disconnect all).
int SocketLibraryStarts();
// Closes one socket (a unit, or the client connection) and frees its entry.
void TcpCloseConnection(SOCKET socket);
// Registers every open socket with `window`: the TCP/IP dialog now open, or
// the main window when it closes, so that units can still connect.
void RegisterTcpSockets(HWND window);
// WM_SOCKET_EVENT. Events of a socket that is no longer the link's are dropped.
void HandleSocketEvent(WPARAM wParam, LPARAM lParam);

// Sends a command on the selected connection and waits for its reply.
void SendTcp(const char* command);
// Receives the reply into ReceiveBuffer and posts WM_DEVICE_REPLY to the open
// dialog; a unit that does not answer within about 3 seconds ends the
// command with "Answer が､きません", one that closes the connection instead
// with "Socket 送信". Returns 0.
int WaitTcpReply();
// WM_DEVICE_REPLY in a setting dialog: hands the received bytes to the
// dialog-side reply entry, and waits for the rest of a line that came in parts.
void HandleDeviceReply();

void InstallTcpTransport();
