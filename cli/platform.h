// What the tool needs of the system besides sockets (sim/net.h): one serial
// port at 9600 baud 8E1, files by UTF-8 path, and the terminal. cli/posix/
// and cli/win32/ implement it.
#pragma once

#include <cstdio>
#include <string>

struct SerialPort;

// Opens and configures the port as the program does: 9600 baud, 8 data bits,
// even parity, 1 stop bit, CTS and XON/XOFF flow control, raw bytes.
SerialPort* OpenSerialPort(const std::string& device, std::string& error);
void CloseSerialPort(SerialPort* port);
bool WriteSerialPort(SerialPort* port, const char* data, int length);
// Waits at most `timeoutMs` for bytes: > 0 bytes read, 0 none came, -1 the port failed.
int ReadSerialPort(SerialPort* port, char* buffer, int size, int timeoutMs);

// Before any output: the console takes UTF-8, and a broken pipe is an error
// of a write rather than the end of the process.
void PrepareProcess();
// True when stderr is a terminal that moves the cursor on escape sequences.
bool ProgressTerminal();

FILE* OpenUtf8File(const std::string& path, const char* mode);
bool FileExists(const std::string& path);
// Puts `temporary` in the place of `target`, replacing it.
bool ReplaceFileWith(const std::string& temporary, const std::string& target);
void RemoveFileAt(const std::string& path);
int CurrentProcessId();
