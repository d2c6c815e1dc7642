#include "link/link_state.h"

std::atomic<int32_t> InterfaceKind{kInterfaceSerial};
std::atomic<int32_t> ControlMode{kControlRs232c};
int ClientServerMode = kModeClient;
int PortIndex = 0;
char PortNameTable[kPortNameCount][kPortNameBytes];
int PortCount = 0;
HostTableRecord HostTable;
std::atomic<int32_t> SlaveAddress{0};
std::atomic<int32_t> AppRunning{0};
std::atomic<int32_t> TcpConnected{0};
std::atomic<int32_t> IoStatusWindowOpen{0};

bool IsRs485Link()
{
    return InterfaceKind == kInterfaceSerial && ControlMode == kControlRs485;
}
