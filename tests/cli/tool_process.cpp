#include "tool_process.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "sim_process.h"

namespace {

int counter = 0;

int ExitStatus(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

} // namespace

ToolProcess::~ToolProcess()
{
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    unlink(outPath_.c_str());
    unlink(errPath_.c_str());
}

bool ToolProcess::Start(const std::vector<std::string>& args)
{
    const std::string base = TempPath("tool" + std::to_string(++counter));
    outPath_ = base + ".out";
    errPath_ = base + ".err";
    std::vector<std::string> copies(args);
    std::vector<char*> argv;
    std::string program = KVR_TOOL_PATH;
    argv.push_back(&program[0]);
    for (std::string& a : copies)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        const int out = open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        execv(KVR_TOOL_PATH, argv.data());
        _exit(127);
    }
    return pid_ > 0;
}

int ToolProcess::WaitListening(int timeoutMs)
{
    const std::string prefix = "listening on port ";
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        const std::string err = Err();
        const size_t at = err.find(prefix);
        if (at != std::string::npos && err.find('\n', at) != std::string::npos)
            return atoi(err.c_str() + at + prefix.size());
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

int ToolProcess::WaitExit(int timeoutMs)
{
    for (int waited = 0; waited <= timeoutMs; waited += 10) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return ExitStatus(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
    return -1;
}

std::string ToolProcess::Out() const
{
    return ReadFile(outPath_);
}

std::string ToolProcess::Err() const
{
    return ReadFile(errPath_);
}

int RunTool(const std::vector<std::string>& args, std::string& out, std::string& err)
{
    ToolProcess tool;
    if (!tool.Start(args))
        return -1;
    const int status = tool.WaitExit();
    out = tool.Out();
    err = tool.Err();
    return status;
}
