// The PC configuration file ".\KVR2840E.ini": read once at start, written key
// by key the moment a setting changes.
#pragma once

void ReadConfiguration();
void WriteConfigText(const char* key, const char* value);
void WriteConfigNumber(const char* key, int value);
// A host key "IP_nnn" with its address, and the stored host count.
void WriteConfigHost(int number, const int (&octets)[4]);
void WriteConfigHostCount(int count);
