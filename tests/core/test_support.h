// Shared fixture: the whole program state as at start for every test (the
// core's ResetProgramState), a link transport that records what would have
// gone to the unit and a message sink that records what would have been shown.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/program_state.h"
#include "files/settings_operations.h"

struct SentLog {
    std::vector<std::string> serialFrames;
    std::vector<std::string> tcpCommands;
};

extern SentLog Sent;

// A message box that would have been shown.
struct ShownMessage {
    std::string text;
    std::string caption;
    int icon;
    int buttons;
    bool beep;
    int owner;
};

struct MessageLog {
    std::vector<ShownMessage> shown;
    std::vector<int> answers;   // answers to give, in order; then kAnswerNo / kAnswerOk
    // Called while a box is "on screen" (to test what happens meanwhile).
    void (*whileShown)() = nullptr;
};

extern MessageLog Messages;

// `s` written `n` times over.
inline std::string Repeat(const std::string& s, int n)
{
    std::string r;
    for (int i = 0; i < n; ++i)
        r += s;
    return r;
}

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The only message shown since the test began; fails the test otherwise.
    ShownMessage OnlyMessage() const;
    // The only frame written since the test began; fails the test otherwise.
    std::string OnlyFrame() const;
};

// FileUi.saveFile for core tests: writes the target in place. What is
// written, and where, is the core's; how a file is replaced whole is tested
// with the Windows implementation.
bool SaveInPlace(const char* path, const FileWriter& write);
