// The fixture of the Wine tests that talk to the simulator over the COM port
// named by KVR_TEST_PORT (the Wine scenario runner starts a simulator for
// each scenario: kvr_add_wine_scenario ... SETUP serial).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/program_state.h"
#include "link/link_state.h"
#include "link/serial_link.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "win_test_support.h"

// Waits for the outstanding command to end (real I/O: this is the end-to-end layer).
inline bool WaitUntilAnswered(int milliseconds = 3000)
{
    return WaitUntil([] { return !TransactionState.busy; }, milliseconds);
}

class SerialSimTest : public ::testing::Test {
protected:
    MessageBoxRecording messageBoxes;

    void SetUp() override
    {
        std::string port;
        ASSERT_TRUE(ScenarioSetting("KVR_TEST_PORT", port));
        StartLinkScenario();
        snprintf(PortNameTable[0], sizeof PortNameTable[0], "%s", port.c_str());
        PortIndex = 0;
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

