// Running the real kvr2840e-cli for end-to-end tests (POSIX): its stdout and
// stderr go to files the test reads; it is stopped by its pid.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class ToolProcess {
public:
    ToolProcess() = default;
    ToolProcess(const ToolProcess&) = delete;
    ToolProcess& operator=(const ToolProcess&) = delete;
    ~ToolProcess();

    bool Start(const std::vector<std::string>& args);
    // The port of its "listening on port N" line; -1 after `timeoutMs`.
    int WaitListening(int timeoutMs = 5000);
    // The exit status; -1 when it did not end within `timeoutMs` (it is then killed).
    int WaitExit(int timeoutMs = 30000);
    std::string Out() const;
    std::string Err() const;

private:
    pid_t pid_ = -1;
    std::string outPath_, errPath_;
};

// Runs the tool to its end: the exit status, with its stdout and stderr.
int RunTool(const std::vector<std::string>& args, std::string& out, std::string& err);
