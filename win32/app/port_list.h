// The PC's serial ports, from HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM.
#pragma once

// Fills PortNameTable and PortCount in registry order, then sets PortIndex
// back to 0 when it does not name a listed port.
void ListSerialPorts();
