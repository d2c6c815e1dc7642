// The TCP/IP link: the sender of commands on a TCP connection.
#pragma once

// Sends a command on the selected connection and waits for its reply.
void SendTcp(const char* command);
void InstallTcpTransport();
