// The unit's serial line: 9600 baud, 8 data bits, even parity, 1 stop bit.
// One definition for every Windows program that opens such a line: the
// configuration program, the command-line tool and the simulator's port.
// Header-only, so that each can include it without linking the others.
#pragma once

#include <windows.h>

enum class SerialHandshake {
    // The PC's side: RTS/CTS and DTR/DSR hardware handshake and XON/XOFF
    // both ways.
    kHardwareAndXonXoff,
    // The unit's side (the simulator): no hardware handshake, so that a
    // three-wire cable works; only the PC's XOFF is honoured.
    kXoffOnly,
};

// Applies the line's settings to an open port, keeping whatever else the
// driver holds. False when the driver refuses them.
inline bool SetUnitLineSettings(HANDLE port, SerialHandshake handshake)
{
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port, &dcb))
        return false;
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 8;
    dcb.Parity = EVENPARITY;
    dcb.fParity = FALSE;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.XonLim = 256;
    dcb.XoffLim = 256;
    dcb.fOutX = TRUE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    const bool hardware = handshake == SerialHandshake::kHardwareAndXonXoff;
    dcb.fDtrControl = hardware ? DTR_CONTROL_HANDSHAKE : DTR_CONTROL_ENABLE;
    dcb.fRtsControl = hardware ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
    dcb.fOutxCtsFlow = hardware ? TRUE : FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fInX = hardware ? TRUE : FALSE;
    return SetCommState(port, &dcb) != 0;
}
