// PC-side link settings and the run flags that the link threads poll.
// The configuration file fills the settings at start; the communication
// dialogs change them. The two TCP port texts are the same storage as the
// unit network record's port texts (DeviceModel.UnitNetwork).
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

enum { kInterfaceSerial = 0, kInterfaceTcp = 1 };
enum { kControlRs232c = 0, kControlRs485 = 1 };
enum { kModeClient = 0, kModeServer = 1 };

constexpr int kPortNameCount = 20;
constexpr int kPortNameBytes = 32;
constexpr int kHostCount = 256;
constexpr int kSlaveBroadcast = 32;   // the "Broadcast" entry of the slave-address lists
constexpr int kMaxSlaveAddress = 31;
constexpr int kNoAddressPrefix = -1;  // a link whose commands carry no RS-485 address

struct HostTableRecord {
    int count;
    int selected;
    int address[kHostCount][4];
};

// Atomic because the serial receive thread reads them (the RS-485 address
// prefix of a reply) while the communication dialogs may change them.
extern std::atomic<int32_t> InterfaceKind;
extern std::atomic<int32_t> ControlMode;
extern int ClientServerMode;
extern int PortIndex;
extern char PortNameTable[kPortNameCount][kPortNameBytes];
extern int PortCount;
extern HostTableRecord HostTable;
// 0..31, or kSlaveBroadcast. Shared by every dialog; not kept in the configuration file.
extern std::atomic<int32_t> SlaveAddress;

// 1 while the program runs; the receive thread and the TCP reply wait stop when it is 0.
extern std::atomic<int32_t> AppRunning;
// 1 while a TCP/IP connection is in use.
extern std::atomic<int32_t> TcpConnected;
// 1 while the input/output status window is open.
extern std::atomic<int32_t> IoStatusWindowOpen;

// True when commands go over RS-485 (serial interface in RS-485 mode).
bool IsRs485Link();

// An RS-485 address list such as "0,5,7", "00,05,07" or "0-15": addresses
// 0..31 of one bus, each at most once, in the order given. False for
// anything else (the list is then unspecified).
bool ParseSlaveAddressList(const char* text, std::vector<int>& addresses);
