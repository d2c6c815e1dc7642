#include <cstring>

#include "app/host_list.h"
#include "link/link_state.h"
#include "link/tcp_state.h"
#include "test_support.h"

class TcpStateTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        HostTable = HostTableRecord();
        ResetConnectionState();
        CurrentConnection = kNoConnection;
    }
};

TEST_F(TcpStateTest, EntryZeroIsReservedAndUnitsFillFromTheLowest)
{
    TcpConnected = 1;
    ResetConnectionState();
    EXPECT_EQ(TcpConnected, 0);
    EXPECT_EQ(ConnectionTable[0].inUse, 1);
    EXPECT_EQ(FindFreeConnectionEntry(), 1);
    for (int unit = 1; unit <= kMaxUnits; ++unit) {
        const int entry = FindFreeConnectionEntry();
        ASSERT_EQ(entry, unit);
        TakeConnectionEntry(entry, 1000 + unit, "127.0.0.1");
    }
    // The 97th unit finds no entry.
    EXPECT_EQ(FindFreeConnectionEntry(), 0);
    EXPECT_EQ(FindConnectionEntry(1000 + 40), 40);
    EXPECT_EQ(FindConnectionEntry(5), 0);

    FreeConnectionEntry(40);
    EXPECT_STREQ(ConnectionTable[40].peerAddress, " ");
    EXPECT_EQ(ConnectionTable[40].socket, 0u);
    EXPECT_EQ(FindFreeConnectionEntry(), 40);
    FreeConnectionEntry(0);
    EXPECT_EQ(ConnectionTable[0].inUse, 1);
}

TEST_F(TcpStateTest, SelectedServerEntry)
{
    EXPECT_EQ(SelectedServerEntry(), 0);
    TakeConnectionEntry(3, 77, "10.0.0.9");
    CurrentConnection = 3;
    EXPECT_EQ(SelectedServerEntry(), 3);
    FreeConnectionEntry(3);
    EXPECT_EQ(SelectedServerEntry(), 0);   // a stale selection is no connection
    CurrentConnection = 97;
    EXPECT_EQ(SelectedServerEntry(), 0);
}

// When the unit that commands go to disconnects, nothing is sent until the
// user picks a unit again, even when another unit takes the same entry.
TEST_F(TcpStateTest, ClosingTheSelectedUnitDeselectsIt)
{
    ClientServerMode = kModeServer;
    TakeConnectionEntry(1, 101, "10.0.0.1");
    TakeConnectionEntry(2, 102, "10.0.0.2");
    EXPECT_FALSE(SelectServerEntry(3));
    EXPECT_EQ(CurrentConnection, kNoConnection);
    ASSERT_TRUE(SelectServerEntry(1));
    EXPECT_EQ(TcpConnected, 1);

    FreeConnectionEntry(2);   // another unit: the selection stays
    EXPECT_EQ(SelectedServerEntry(), 1);
    FreeConnectionEntry(1);
    EXPECT_EQ(CurrentConnection, kNoConnection);
    EXPECT_EQ(TcpConnected, 0);
    TakeConnectionEntry(FindFreeConnectionEntry(), 103, "10.0.0.3");
    EXPECT_EQ(SelectedServerEntry(), 0);

    // In client mode CurrentConnection is a host index, which an entry leaves alone.
    ClientServerMode = kModeClient;
    CurrentConnection = 1;
    TcpConnected = 1;
    FreeConnectionEntry(1);
    EXPECT_EQ(CurrentConnection, 1);
    EXPECT_EQ(TcpConnected, 1);
}

TEST_F(TcpStateTest, AddingHosts)
{
    const int first[4] = {192, 168, 1, 2};
    const int second[4] = {10, 0, 0, 1};
    EXPECT_TRUE(AddHost(first));
    EXPECT_TRUE(AddHost(second));
    EXPECT_EQ(HostTable.count, 2);
    EXPECT_EQ(HostTable.selected, 1);
    EXPECT_EQ(0, memcmp(HostTable.address[1], second, sizeof second));

    HostTable.count = kHostCount;
    EXPECT_FALSE(AddHost(first));
    EXPECT_EQ(HostTable.count, kHostCount);
}

TEST_F(TcpStateTest, DeletingHostsKeepsTheSelection)
{
    for (int i = 0; i < 4; ++i) {
        const int octets[4] = {10, 0, 0, i};
        AddHost(octets);
    }
    // Hosts 10.0.0.0 .. 10.0.0.3, the last selected. Delete the second.
    HostTable.selected = 2;
    HostDeletion d = DeleteHost(1);
    EXPECT_TRUE(d.deleted);
    EXPECT_EQ(d.removed, 1);
    EXPECT_EQ(d.shownHost, -1);
    EXPECT_EQ(HostTable.count, 3);
    EXPECT_EQ(HostTable.selected, 1);   // it lay after the removed one
    EXPECT_EQ(HostTable.address[1][3], 2);
    EXPECT_EQ(HostTable.address[2][3], 3);

    // Deleting the selected host shows the one that follows it.
    d = DeleteHost(1);
    EXPECT_EQ(d.shownHost, 1);
    EXPECT_EQ(HostTable.address[1][3], 3);
    EXPECT_EQ(HostTable.selected, 1);

    // No line selected: the last host goes; it was selected, so the one before is shown.
    d = DeleteHost(-1);
    EXPECT_EQ(d.removed, 1);
    EXPECT_EQ(d.shownHost, 0);
    EXPECT_EQ(HostTable.selected, 0);

    // The only host: the selection becomes -1.
    d = DeleteHost(0);
    EXPECT_EQ(HostTable.count, 0);
    EXPECT_EQ(HostTable.selected, -1);
    EXPECT_EQ(d.shownHost, -1);
    EXPECT_FALSE(DeleteHost(0).deleted);
}
