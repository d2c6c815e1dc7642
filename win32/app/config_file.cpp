#include "app/config_file.h"

#include <windows.h>

#include <cstdio>

#include "app/config_values.h"
#include "app/ui_text.h"
#include "link/link_state.h"
#include "protocol/device_model.h"

namespace {

const wchar_t kFile[] = L".\\KVR2840E.ini";
const wchar_t kSection[] = L"KVR2840E_section";

// Reads one key into `value` (ASCII), "0" when the key or the file is missing.
void ReadKey(const char* key, char* value, DWORD size)
{
    wchar_t wide[32];
    GetPrivateProfileStringW(kSection, WideFromUtf8(key).c_str(), L"0", wide,
                             sizeof wide / sizeof wide[0], kFile);
    snprintf(value, size, "%s", Utf8FromWide(wide).c_str());
}

int ReadNumber(const char* key)
{
    char value[16];
    ReadKey(key, value, sizeof value);
    return ConfigValue(key, value);
}

} // namespace

void ReadConfiguration()
{
    PortIndex = ReadNumber(kKeyComPort);
    ControlMode = ReadNumber(kKeyControl);
    InterfaceKind = ReadNumber(kKeyInterface);
    ClientServerMode = ReadNumber(kKeyClientServer);
    HostTable.count = ReadNumber(kKeyHostCount);
    HostTable.selected = ReadNumber(kKeySelectedHost);
    for (int i = 0; i < HostTable.count; ++i) {
        char key[8];
        char text[32];
        FormatHostKey(i + 1, key);
        ReadKey(key, text, sizeof text);
        ParseHostAddress(text, HostTable.address[i]);
    }
    if (HostTable.selected < -1 || HostTable.selected >= HostTable.count)
        HostTable.selected = HostTable.count > 0 ? 0 : -1;
    // The port texts hold at most five characters.
    ReadKey(kKeySourcePort, DeviceModel.UnitNetwork.sourcePortText,
            sizeof DeviceModel.UnitNetwork.sourcePortText);
    ReadKey(kKeyDestinationPort, DeviceModel.UnitNetwork.destinationPortText,
            sizeof DeviceModel.UnitNetwork.destinationPortText);
}

void WriteConfigText(const char* key, const char* value)
{
    WritePrivateProfileStringW(kSection, WideFromUtf8(key).c_str(), WideFromUtf8(value).c_str(), kFile);
}

void WriteConfigNumber(const char* key, int value)
{
    char text[16];
    snprintf(text, sizeof text, "%d", value);
    WriteConfigText(key, text);
}

void WriteConfigHost(int number, const int (&octets)[4])
{
    char key[8];
    char text[16];
    FormatHostKey(number, key);
    FormatHostAddress(octets, text);
    WriteConfigText(key, text);
}

void WriteConfigHostCount(int count)
{
    char text[8];
    snprintf(text, sizeof text, "%03d", ClampHostCount(count));
    WriteConfigText(kKeyHostCount, text);
}
