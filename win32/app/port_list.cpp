#include "app/port_list.h"

#include <windows.h>

#include <cstring>

#include "app/ui_text.h"
#include "link/link_state.h"

void ListSerialPorts()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
        PortCount = 0;
        memset(PortNameTable, 0, sizeof PortNameTable);
        // Only as many ports as the table holds; a name that does not fit
        // leaves its entry empty, so the indices stay those of the registry.
        for (DWORD index = 0; PortCount < kPortNameCount; ++index) {
            wchar_t name[256];
            DWORD nameLength = 256;
            DWORD type = 0;
            DWORD dataSize = 0;
            if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, nullptr, &dataSize) != ERROR_SUCCESS)
                break;
            if (type == REG_SZ && dataSize > 0 && dataSize < 256 * sizeof(wchar_t)) {
                wchar_t data[256] = {};
                DWORD size = sizeof data - sizeof(wchar_t);
                nameLength = 256;
                if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                  reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS) {
                    const std::string port = Utf8FromWide(data);
                    if (port.size() < static_cast<size_t>(kPortNameBytes))
                        memcpy(PortNameTable[PortCount], port.c_str(), port.size() + 1);
                }
            }
            ++PortCount;
        }
        RegCloseKey(key);
    }
    if (static_cast<unsigned>(PortIndex) >= static_cast<unsigned>(PortCount))
        PortIndex = 0;
}
