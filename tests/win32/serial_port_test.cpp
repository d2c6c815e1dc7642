#include <gtest/gtest.h>

#include <cstring>

#include "app/program_state.h"
#include "link/link_state.h"
#include "link/serial_link.h"
#include "win_test_support.h"

TEST(SerialPort, DeviceNames)
{
    EXPECT_EQ(SerialDeviceName("COM3"), L"COM3");
    EXPECT_EQ(SerialDeviceName("COM9"), L"COM9");
    EXPECT_EQ(SerialDeviceName("COM12"), L"\\\\.\\COM12");
    EXPECT_EQ(SerialDeviceName("COM0"), L"\\\\.\\COM0");
    EXPECT_EQ(SerialDeviceName("CNCA0"), L"\\\\.\\CNCA0");
}

TEST(SerialPort, AMissingPortGivesTheFiveMessagesInOrder)
{
    RecordMessageBoxes();
    strcpy(PortNameTable[0], "COM231");
    PortIndex = 0;
    OpenSerialPort();
    const char* expected[] = {"Miss! File Open", "Miss! Mask Set", "Miss! Buffer Set",
                              "Miss! Time Out Set", "Miss! Set Comm State"};
    ASSERT_EQ(RecordedMessages.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(RecordedMessages[i].text, expected[i]);
        EXPECT_EQ(RecordedMessages[i].caption, "Error");
    }
    CloseSerialPort();
}

// Without a unit: ports this PC does not have, so only the receive thread's
// life is seen (the serial scenarios reopen a working port).
TEST(SerialPort, ReopeningKeepsTheReceiveThreadAsItWas)
{
    ResetProgramState();
    RecordMessageBoxes();
    strcpy(PortNameTable[0], "COM231");
    strcpy(PortNameTable[1], "COM232");
    AppRunning = 1;
    OpenSerialPort();
    ASSERT_TRUE(StartSerialReadThread());

    PortIndex = 1;
    ReopenSerialPort();
    EXPECT_TRUE(SerialReadThreadRunning());
    EXPECT_EQ(RecordedMessages.size(), 10u);   // both opens failed, five messages each

    // Closing stops the thread first; reopening then starts none.
    CloseSerialPort();
    EXPECT_FALSE(SerialReadThreadRunning());
    ReopenSerialPort();
    EXPECT_FALSE(SerialReadThreadRunning());
    CloseSerialPort();
    ResetProgramState();
}
