#include "app/config_values.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/link_state.h"
#include "link/text_conversions.h"

const char* const kKeyComPort = "com_port";
const char* const kKeyControl = "control";
const char* const kKeyInterface = "interface_set";
const char* const kKeyClientServer = "client_server";
const char* const kKeyHostCount = "ip_address_count";
const char* const kKeySelectedHost = "client_select_ip_address";
const char* const kKeySourcePort = "source_port_number";
const char* const kKeyDestinationPort = "dst_port_number";

int ParseConfigNumber(const char* text)
{
    // strtol saturates instead of overflowing.
    long value = strtol(text, nullptr, 10);
    if (value > 2147483647L)
        value = 2147483647L;
    if (value < -2147483647L - 1)
        value = -2147483647L - 1;
    return static_cast<int>(value);
}

int ClampHostCount(int count)
{
    if (count < 0)
        return 0;
    return count > kHostCount ? kHostCount : count;
}

int ConfigValue(const char* key, const char* text)
{
    struct Range {
        const char* key;
        int lowest;
        int highest;
    };
    static const Range kRanges[] = {
        {kKeyComPort, 0, kPortNameCount - 1},
        {kKeyControl, kControlRs232c, kControlRs485},
        {kKeyInterface, kInterfaceSerial, kInterfaceTcp},
        {kKeyClientServer, kModeClient, kModeServer},
        {kKeySelectedHost, -1, kHostCount - 1},
    };
    const int value = ParseConfigNumber(text);
    if (strcmp(key, kKeyHostCount) == 0)
        return ClampHostCount(value);
    for (const Range& range : kRanges) {
        if (strcmp(key, range.key) == 0)
            return value >= range.lowest && value <= range.highest ? value : 0;
    }
    return value;
}

void FormatHostKey(int number, char* key)
{
    memcpy(key, "IP_", 3);
    FormatDecimal(number, key + 3, 3);
    key[6] = '\0';
}

void FormatHostAddress(const int (&octets)[4], char* text)
{
    for (int i = 0; i < 4; ++i) {
        FormatDecimal(octets[i], text + 4 * i, 3);
        text[4 * i + 3] = i < 3 ? '.' : '\0';
    }
}

bool ParseHostAddress(const char* text, int (&octets)[4])
{
    int parsed[4];
    bool good = strlen(text) == 15;
    for (int i = 0; good && i < 4; ++i) {
        good = IsDecimalDigits(text + 4 * i, 3) && (i == 3 || text[4 * i + 3] == '.');
        if (good) {
            parsed[i] = ParseDecimal(text + 4 * i, 3);
            good = parsed[i] <= 255;
        }
    }
    for (int i = 0; i < 4; ++i)
        octets[i] = good ? parsed[i] : 0;
    return good;
}
