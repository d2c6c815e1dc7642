// The fixture of the Wine tests that talk to the simulator over the COM port
// named by KVR_TEST_PORT (serial_sim_test.sh starts one simulator per run).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "app/program_state.h"
#include "link/link_state.h"
#include "link/serial_link.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "win_test_support.h"

// Waits for the outstanding command to end (real I/O: this is the end-to-end layer).
inline bool WaitUntilAnswered(int milliseconds = 3000)
{
    for (int waited = 0; waited < milliseconds; waited += 10) {
        if (!TransactionState.busy)
            return true;
        Sleep(10);
    }
    return false;
}

class SerialSimTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* port = getenv("KVR_TEST_PORT");
        if (!port)
            GTEST_SKIP() << "run by serial_sim_test.sh";
        ResetProgramState();
        RecordMessageBoxes();
        snprintf(PortNameTable[0], sizeof PortNameTable[0], "%s", port);
        PortIndex = 0;
        AppRunning = 1;
        OpenSerialPort();
        InstallSerialTransport();
        ASSERT_TRUE(StartSerialReadThread());
        // A fresh pseudo-terminal takes every line setting.
        ASSERT_TRUE(RecordedMessages.empty()) << RecordedMessages.front().text;
    }
    void TearDown() override
    {
        AppRunning = 0;
        StopSerialReadThread();
        CloseSerialPort();
    }

    void Answered(int status, int completion)
    {
        ASSERT_TRUE(WaitUntilAnswered());
        EXPECT_EQ(TransactionState.replyStatus, status);
        EXPECT_EQ(TransactionState.completionCode, completion);
        EXPECT_EQ(TransactionState.replyWait, 0);
        TransactionState.completionCode = 0;
    }
};

