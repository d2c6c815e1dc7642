// The client mode's host list (HostTable): adding and deleting hosts, with
// the selected index kept as the client dialog shows it.
#pragma once

// Appends a host and selects it. Returns false (nothing changed) when the
// table already holds all 256 hosts.
bool AddHost(const int (&octets)[4]);

// What a deletion did, for the dialog and the configuration file.
struct HostDeletion {
    bool deleted;
    int removed;        // index of the removed host
    int firstMoved;     // hosts from here to the new count - 1 moved up by one
    int shownHost;      // the host to show in the address field, -1 = leave it
};

// Deletes host `line` (the list's selection), or the last host when `line`
// is -1 or out of range.
HostDeletion DeleteHost(int line);
