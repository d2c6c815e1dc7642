// The serial link on a COM port: opened for overlapped I/O, written by the
// user-interface thread, read by a receive thread that runs the serial reply
// entry for every complete line.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

// Opens and configures the port of PortNameTable[PortIndex] (9600 baud, 8
// data bits, even parity, 1 stop bit, hardware and XON/XOFF flow control).
// Each failed step shows its "Miss!" message and the later steps are still
// tried. A port open before is closed first, and the receive thread with it.
void OpenSerialPort();
// Closes the port (the program ends), after stopping the receive thread, so
// that the thread never reads a closed handle; closes the link's events.
void CloseSerialPort();
// Another port was chosen: the receive thread is stopped if it runs, the
// port closed and the chosen one opened, and the thread started again on it
// if it was running.
void ReopenSerialPort();
// The device name for a port name: "COM1".."COM9" as they are, any other
// name with "\\.\" in front.
std::wstring SerialDeviceName(const char* portName);

// Starts / stops the receive thread; it reads the port open at its start.
// Starting fails only when the thread cannot be created; a running thread is
// kept.
bool StartSerialReadThread();
void StopSerialReadThread();
bool SerialReadThreadRunning();

// The reads the receive thread has handed to the port, and those whose end
// it has waited for (done, timed out or cancelled). Equal whenever no thread
// runs: a thread never leaves a read behind that still points at its stack.
// At idle `issued` grows by one per read time-out, not per poll.
struct SerialReadCounts {
    std::atomic<int32_t> issued{0};
    std::atomic<int32_t> finished{0};
};
extern SerialReadCounts SerialReadRequests;

// Opens the port and starts the receive thread unless they already are
// (the serial interface was chosen after a start on TCP/IP).
void StartSerialLink();

// Makes WriteSerialFrame write to the port.
void InstallSerialTransport();
