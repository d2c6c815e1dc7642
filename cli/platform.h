// What the tool needs of the system besides sockets (net/sockets.h): one serial
// port at 9600 baud 8E1, files by UTF-8 path and the terminal. cli/posix/
// and cli/win32/ implement it. (The titles' code page is the program's own
// table, the same in both: cli/utf8.h.)
#pragma once

#include <cstdio>
#include <string>
#include <vector>

struct SerialPort;

// Opens and configures the port as the program does: 9600 baud, 8 data bits,
// even parity, 1 stop bit, CTS and XON/XOFF flow control, raw bytes.
SerialPort* OpenSerialPort(const std::string& device, std::string& error);
void CloseSerialPort(SerialPort* port);
bool WriteSerialPort(SerialPort* port, const char* data, int length);
// Waits at most `timeoutMs` for bytes: > 0 bytes read, 0 none came, -1 the port failed.
int ReadSerialPort(SerialPort* port, char* buffer, int size, int timeoutMs);

// The command line as UTF-8, whatever the system's code page: on Windows
// main's argv comes in the ANSI code page (code page 932 on a Japanese
// Windows), in which a path such as 現場Ｂ.dat could not be opened again.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Before any output: the console takes UTF-8, and a broken pipe is an error
// of a write rather than the end of the process.
void PrepareProcess();
// True when stderr is a terminal that moves the cursor on escape sequences.
bool ProgressTerminal();

// stdout takes bytes as they are: no CR is put before a LF on Windows.
void UseBinaryStdout();

FILE* OpenUtf8File(const std::string& path, const char* mode);
bool FileExists(const std::string& path);

// When the file was last written, in this PC's local time: "2026-12-10
// 19:20"; "" when it cannot be told.
std::string FileModifiedText(const std::string& path);
// Today in this PC's local time: "2026-12-10".
std::string TodayText();
