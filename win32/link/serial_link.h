// The serial link on a COM port: opened for overlapped I/O, written by the
// user-interface thread, read by a receive thread that runs the serial reply
// entry for every complete line.
#pragma once

#include <string>

// Opens and configures the port of PortNameTable[PortIndex] (9600 baud, 8
// data bits, even parity, 1 stop bit, hardware and XON/XOFF flow control).
// Each failed step shows its "Miss!" message and the later steps are still tried.
void OpenSerialPort();
// Closes the port (another port was chosen, or the program ends).
void CloseSerialPort();
// The device name for a port name: "COM1".."COM9" as they are, any other
// name with "\\.\" in front.
std::wstring SerialDeviceName(const char* portName);

// Starts / stops the receive thread. Starting fails only when the thread
// cannot be created.
bool StartSerialReadThread();
void StopSerialReadThread();

// Opens the port and starts the receive thread unless they already are
// (the serial interface was chosen after a start on TCP/IP).
void StartSerialLink();

// Makes WriteSerialFrame write to the port.
void InstallSerialTransport();
