#include "app/host_list.h"

#include <cstring>

#include "link/link_state.h"

bool AddHost(const int (&octets)[4])
{
    if (HostTable.count >= kHostCount)
        return false;
    memcpy(HostTable.address[HostTable.count], octets, sizeof octets);
    HostTable.selected = HostTable.count;
    HostTable.count += 1;
    return true;
}

HostDeletion DeleteHost(int line)
{
    HostDeletion result = {false, -1, -1, -1};
    const int count = HostTable.count;
    if (count <= 0)
        return result;
    const int removed = line >= 0 && line < count ? line : count - 1;
    const int selected = HostTable.selected;

    // The host shown instead of a removed selected one: the one that
    // follows it (which moves up into its place), or the one before it.
    if (selected == removed && count > 1)
        result.shownHost = removed < count - 1 ? removed : removed - 1;
    if (selected == count - 1 || selected > removed)
        HostTable.selected = selected - 1;

    for (int i = removed; i < count - 1; ++i)
        memcpy(HostTable.address[i], HostTable.address[i + 1], sizeof HostTable.address[i]);
    memset(HostTable.address[count - 1], 0, sizeof HostTable.address[count - 1]);
    HostTable.count = count - 1;

    result.deleted = true;
    result.removed = removed;
    result.firstMoved = removed;
    return result;
}
