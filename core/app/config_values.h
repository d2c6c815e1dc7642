// Texts of the PC configuration file (".\KVR2840E.ini", section
// "KVR2840E_section"): the keys and the forms their values take.
#pragma once

#define KVR_CONFIG_FILE ".\\KVR2840E.ini"
#define KVR_CONFIG_SECTION "KVR2840E_section"

extern const char* const kKeyComPort;            // "com_port"
extern const char* const kKeyControl;            // "control"
extern const char* const kKeyInterface;          // "interface_set"
extern const char* const kKeyClientServer;       // "client_server"
extern const char* const kKeyHostCount;          // "ip_address_count"
extern const char* const kKeySelectedHost;       // "client_select_ip_address"
extern const char* const kKeySourcePort;         // "source_port_number"
extern const char* const kKeyDestinationPort;    // "dst_port_number"

// The usual decimal conversion: leading blanks, a sign, leading digits;
// 0 when there are none.
int ParseConfigNumber(const char* text);
// A stored host count, at most the 256 entries the host table holds.
int ClampHostCount(int count);
// The value of a numeric key as the program takes it: the number when the
// key can hold it, else the key's default (0), as if the key were missing,
// so that "interface_set=2" cannot leave the program with neither link.
// "com_port" holds 0..19 (the port list then checks it against the ports
// found), "control", "interface_set" and "client_server" 0 or 1,
// "client_select_ip_address" -1..255 (checked against the host count once
// that is read). "ip_address_count" is the one key that keeps a larger value
// in part: above 256 the first 256 hosts are read. Any other key: the number.
int ConfigValue(const char* key, const char* text);
// "IP_001" .. "IP_256" for a 1-based host number (key buffer of 8 bytes).
void FormatHostKey(int number, char* key);
// "192.168.001.002" (buffer of 16 bytes).
void FormatHostAddress(const int (&octets)[4], char* text);
// Reads the four three-digit groups at 0, 4, 8 and 12. A text of any other
// form gives 0.0.0.0, so that a damaged key is harmless; returns false then.
bool ParseHostAddress(const char* text, int (&octets)[4]);
