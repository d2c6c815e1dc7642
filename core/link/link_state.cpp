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

namespace {

// One address of one or two digits; advances `p` past it.
bool ReadSlaveAddress(const char*& p, int& value)
{
    int digits = 0;
    value = 0;
    while (*p >= '0' && *p <= '9' && digits < 3) {
        value = value * 10 + (*p - '0');
        ++digits;
        ++p;
    }
    return digits > 0 && digits <= 2 && value <= kMaxSlaveAddress;
}

} // namespace

bool ParseSlaveAddressList(const char* text, std::vector<int>& addresses)
{
    addresses.clear();
    bool seen[kMaxSlaveAddress + 1] = {};
    for (const char* p = text;;) {
        int first = 0, last = 0;
        if (!ReadSlaveAddress(p, first))
            return false;
        last = first;
        if (*p == '-') {
            ++p;
            if (!ReadSlaveAddress(p, last) || last < first)
                return false;
        }
        for (int address = first; address <= last; ++address) {
            if (seen[address])
                return false;
            seen[address] = true;
            addresses.push_back(address);
        }
        if (*p == '\0')
            return true;
        if (*p != ',')
            return false;
        ++p;
    }
}
