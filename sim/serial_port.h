// The simulator's serial line: a pseudo-terminal it creates (POSIX) or a
// real port (a tty device, or a COM port on Windows) at 9600 baud, 8 data
// bits, even parity, 1 stop bit. POSIX waits on the port itself; on Windows a
// worker thread does the port I/O and pokes the waker when bytes arrived.
#pragma once

#include <string>

#include "net/sockets.h"
#include "sim/unit_link.h"

struct SerialPort;

// A new pseudo-terminal; `slavePath` receives the path the program opens.
// With a non-empty `linkPath` a symlink to it is kept there (an existing
// symlink is replaced; any other file is left alone and refused).
SerialPort* OpenPtySerial(const std::string& linkPath, std::string& slavePath, std::string& error);
SerialPort* OpenDeviceSerial(const std::string& device, std::string& error);
void CloseSerial(SerialPort* port);

// The handle to wait on for received bytes; kNoHandle when the waker tells.
NetHandle SerialWaitHandle(const SerialPort* port);
// True while bytes wait for the port to take them (wait for writability).
bool SerialWriteBlocked(const SerialPort* port);

// > 0: bytes read; 0: nothing now; -1: the port failed. `error` receives a
// line error the driver reported for these bytes.
int ReadSerial(SerialPort* port, char* buffer, int capacity, LineError& error);
// Bytes taken (0 when the port takes nothing now); -1: the port failed.
int WriteSerial(SerialPort* port, const char* data, int count);
