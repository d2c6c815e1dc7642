#include <gtest/gtest.h>

#include <cstring>

#include "app/config_file.h"
#include "app/port_list.h"
#include "link/link_state.h"
#include "protocol/device_model.h"
#include "win_test_support.h"

namespace {

void Put(const wchar_t* key, const wchar_t* value)
{
    WritePrivateProfileStringW(L"KVR2840E_section", key, value, L".\\KVR2840E.ini");
}

std::wstring Get(const wchar_t* key)
{
    wchar_t value[64];
    GetPrivateProfileStringW(L"KVR2840E_section", key, L"(none)", value, 64, L".\\KVR2840E.ini");
    return value;
}

void ScrambleSettings()
{
    PortIndex = 9;
    ControlMode = 9;
    InterfaceKind = 9;
    ClientServerMode = 9;
    HostTable.count = 9;
    HostTable.selected = 9;
}

} // namespace

TEST(ConfigFile, DefaultsWithoutAFile)
{
    ScratchFolder folder;
    ResetModelToStartValues(DeviceModel);
    ScrambleSettings();
    ReadConfiguration();
    EXPECT_EQ(PortIndex, 0);
    EXPECT_EQ(ControlMode, kControlRs232c);
    EXPECT_EQ(InterfaceKind, kInterfaceSerial);
    EXPECT_EQ(ClientServerMode, kModeClient);
    EXPECT_EQ(HostTable.count, 0);
    EXPECT_STREQ(DeviceModel.UnitNetwork.sourcePortText, "0");
    EXPECT_STREQ(DeviceModel.UnitNetwork.destinationPortText, "0");
    // Reading does not create the file.
    EXPECT_EQ(GetFileAttributesW(L"KVR2840E.ini"), INVALID_FILE_ATTRIBUTES);
}

TEST(ConfigFile, EveryKeyIsRead)
{
    ScratchFolder folder;
    Put(L"com_port", L"5");
    Put(L"control", L"1");
    Put(L"interface_set", L"1");
    Put(L"client_server", L"1");
    Put(L"ip_address_count", L"002");
    Put(L"client_select_ip_address", L"1");
    Put(L"IP_001", L"192.168.001.002");
    Put(L"IP_002", L"010.000.000.001");
    Put(L"IP_003", L"010.000.000.003");   // beyond the count: not read
    Put(L"source_port_number", L"12345678");
    Put(L"dst_port_number", L"09999");
    ScrambleSettings();
    HostTable.address[2][0] = 77;
    ReadConfiguration();
    EXPECT_EQ(PortIndex, 5);
    EXPECT_EQ(ControlMode, kControlRs485);
    EXPECT_EQ(InterfaceKind, kInterfaceTcp);
    EXPECT_EQ(ClientServerMode, kModeServer);
    ASSERT_EQ(HostTable.count, 2);
    EXPECT_EQ(HostTable.selected, 1);
    const int first[4] = {192, 168, 1, 2};
    const int second[4] = {10, 0, 0, 1};
    EXPECT_EQ(0, memcmp(HostTable.address[0], first, sizeof first));
    EXPECT_EQ(0, memcmp(HostTable.address[1], second, sizeof second));
    EXPECT_EQ(HostTable.address[2][0], 77);
    EXPECT_STREQ(DeviceModel.UnitNetwork.sourcePortText, "12345");   // five characters at most
    EXPECT_STREQ(DeviceModel.UnitNetwork.destinationPortText, "09999");
}

TEST(ConfigFile, DamagedValuesAreHarmless)
{
    ScratchFolder folder;
    Put(L"ip_address_count", L"300");
    Put(L"IP_001", L"not an address");
    Put(L"IP_256", L"001.002.003.004");
    Put(L"client_select_ip_address", L"999");
    Put(L"com_port", L"x");
    Put(L"interface_set", L"2");
    Put(L"control", L"7");
    Put(L"client_server", L"5");
    ScrambleSettings();
    ReadConfiguration();
    EXPECT_EQ(InterfaceKind, kInterfaceSerial);
    EXPECT_EQ(ControlMode, kControlRs232c);
    EXPECT_EQ(ClientServerMode, kModeClient);
    EXPECT_EQ(HostTable.count, 256);
    EXPECT_EQ(HostTable.address[0][0], 0);
    EXPECT_EQ(HostTable.address[0][3], 0);
    EXPECT_EQ(HostTable.address[255][3], 4);
    EXPECT_EQ(HostTable.selected, 0);
    EXPECT_EQ(PortIndex, 0);
}

TEST(ConfigFile, WritersUseTheStoredForms)
{
    ScratchFolder folder;
    WriteConfigHostCount(3);
    const int address[4] = {192, 168, 1, 2};
    WriteConfigHost(12, address);
    WriteConfigNumber("client_select_ip_address", -1);
    WriteConfigText("dst_port_number", "09004");
    EXPECT_EQ(Get(L"ip_address_count"), L"003");
    EXPECT_EQ(Get(L"IP_012"), L"192.168.001.002");
    EXPECT_EQ(Get(L"client_select_ip_address"), L"-1");
    EXPECT_EQ(Get(L"dst_port_number"), L"09004");
}

TEST(PortList, IndexBeyondThePortsIsReset)
{
    PortIndex = 1000;
    ListSerialPorts();
    EXPECT_EQ(PortIndex, 0);
    EXPECT_LE(PortCount, kPortNameCount);
    PortIndex = -1;   // compared unsigned, so it is reset too
    ListSerialPorts();
    EXPECT_EQ(PortIndex, 0);
    if (PortCount > 1) {
        PortIndex = PortCount - 1;
        ListSerialPorts();
        EXPECT_EQ(PortIndex, PortCount - 1);
    }
}
