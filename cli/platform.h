// What the tool needs of the system besides sockets (sim/net.h): one serial
// port at 9600 baud 8E1, files by UTF-8 path, the terminal, and the code page
// of the titles. cli/posix/ and cli/win32/ implement it.
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

// stdout takes bytes as they are: no CR is put before a LF on Windows.
void UseBinaryStdout();

FILE* OpenUtf8File(const std::string& path, const char* mode);
bool FileExists(const std::string& path);
// Puts `temporary` in the place of `target`, replacing it.
bool ReplaceFileWith(const std::string& temporary, const std::string& target);
void RemoveFileAt(const std::string& path);
int CurrentProcessId();

// Titles are Shift-JIS (code page 932); the user reads and writes UTF-8.
// Both convert the whole text or nothing: false when a byte sequence is no
// code page 932 character, or the text is no UTF-8 or holds a character that
// code page 932 has no code for. Nothing is ever replaced by a look-alike or
// a default character. Code page 932 gives some characters two codes (the
// NEC and IBM duplicates): Utf8ToShiftJis gives one of them, so a title that
// holds the other does not come back byte for byte. Input and output may be
// one string.
bool ShiftJisToUtf8(const std::string& shiftJis, std::string& utf8);
bool Utf8ToShiftJis(const std::string& utf8, std::string& shiftJis);
