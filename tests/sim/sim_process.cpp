#include "sim_process.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "link/link_state.h"
#include "link/send_path.h"
#include "protocol/reply_parser.h"

namespace {

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool WaitReadable(int fd, int timeoutMs)
{
    pollfd item{fd, POLLIN, 0};
    int ready;
    do {
        ready = poll(&item, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

int ExitStatus(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

pid_t Spawn(const std::vector<std::string>& args, int& out)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return -1;
    std::vector<char*> argv;
    std::string program = KVR_SIM_PATH;
    argv.push_back(&program[0]);
    std::vector<std::string> copies(args);
    for (std::string& a : copies)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        execv(KVR_SIM_PATH, argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    out = pipeFds[0];
    return pid;
}

} // namespace

// ---- SimProcess ------------------------------------------------------------------

SimProcess::~SimProcess()
{
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0)
        close(out_);
}

bool SimProcess::Start(const std::vector<std::string>& args)
{
    pid_ = Spawn(args, out_);
    return pid_ > 0;
}

void SimProcess::ReadOutput(int timeoutMs)
{
    if (out_ < 0 || !WaitReadable(out_, timeoutMs))
        return;
    char buffer[4096];
    const ssize_t n = read(out_, buffer, sizeof buffer);
    if (n > 0) {
        output_.append(buffer, static_cast<size_t>(n));
    } else {
        close(out_);
        out_ = -1;
    }
}

std::string SimProcess::WaitForLine(const std::string& prefix, int timeoutMs)
{
    const int64_t end = NowMs() + timeoutMs;
    while (true) {
        size_t start = scanned_;
        size_t newline;
        while ((newline = output_.find('\n', start)) != std::string::npos) {
            const std::string line = output_.substr(start, newline - start);
            start = newline + 1;
            if (line.compare(0, prefix.size(), prefix) == 0) {
                scanned_ = start;
                return line;
            }
        }
        const int64_t left = end - NowMs();
        if (left <= 0 || out_ < 0)
            return "";
        ReadOutput(static_cast<int>(left));
    }
}

int SimProcess::Stop()
{
    if (pid_ <= 0)
        return -1;
    kill(pid_, SIGTERM);
    return WaitExit(5000);
}

int SimProcess::WaitExit(int timeoutMs)
{
    const int64_t end = NowMs() + timeoutMs;
    while (pid_ > 0) {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            while (out_ >= 0)
                ReadOutput(1000);
            return ExitStatus(status);
        }
        if (NowMs() >= end)
            return -1;
        // Keep the pipe drained so that the simulator never blocks on it.
        ReadOutput(10);
    }
    return -1;
}

int RunSimToEnd(const std::vector<std::string>& args, std::string& output)
{
    SimProcess process;
    if (!process.Start(args))
        return -1;
    const int status = process.WaitExit(5000);
    output = process.Output();
    return status;
}

// ---- TestStream ------------------------------------------------------------------

TestStream::~TestStream()
{
    if (fd_ >= 0)
        close(fd_);
}

bool TestStream::OpenPty(const std::string& path)
{
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0)
        return false;
    termios settings;
    tcgetattr(fd_, &settings);
    cfmakeraw(&settings);
    tcsetattr(fd_, TCSANOW, &settings);
    return true;
}

bool TestStream::ConnectTcp(int port)
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(s);
        return false;
    }
    return AdoptSocket(s);
}

bool TestStream::AdoptSocket(int fd)
{
    fd_ = fd;
    fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL, 0) | O_NONBLOCK);
    return true;
}

void TestStream::Send(const std::string& bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = write(fd_, bytes.data() + sent, bytes.size() - sent);
        if (n > 0)
            sent += static_cast<size_t>(n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::string TestStream::ReadChunk(int timeoutMs)
{
    if (!WaitReadable(fd_, timeoutMs))
        return "";
    char buffer[2048];
    const ssize_t n = read(fd_, buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : "";
}

std::string TestStream::ReadReply(int timeoutMs)
{
    const int64_t end = NowMs() + timeoutMs;
    std::string text;
    while (text.empty() || text.back() != '\n') {
        const int64_t left = end - NowMs();
        if (left <= 0)
            break;
        text += ReadChunk(static_cast<int>(left));
    }
    return text;
}

bool TestStream::Silent(int ms)
{
    return ReadChunk(ms).empty();
}

// ---- Program-side wires ------------------------------------------------------------

int TcpReplyChunks = 0;

namespace {

TestStream* Wire = nullptr;

void StreamSerial(const char* frame, int length)
{
    Wire->Send(std::string(frame, static_cast<size_t>(length)));
    if (ControlMode == kControlRs485 && length >= 2 && frame[0] == 'F' && frame[1] == 'F')
        return;
    const std::string reply = Wire->ReadReply();
    if (!reply.empty())
        ParseSerialReply(DeviceModel, reply.c_str());
}

void StreamTcp(const char* command)
{
    Wire->Send(command);
    TcpReplyChunks = 0;
    const int64_t end = NowMs() + 3000;
    while (NowMs() < end) {
        const std::string chunk = Wire->ReadChunk(static_cast<int>(end - NowMs()));
        if (chunk.empty())
            continue;
        ++TcpReplyChunks;
        if (ParseDialogReply(DeviceModel, chunk.data(), static_cast<int>(chunk.size())) != kDialogReplyPartial)
            return;
    }
}

} // namespace

void UseStreamSerialWire(TestStream& stream)
{
    Wire = &stream;
    ActiveTransport = {StreamSerial, nullptr};
    InterfaceKind = kInterfaceSerial;
}

void UseStreamTcpWire(TestStream& stream)
{
    Wire = &stream;
    ActiveTransport = {StreamSerial, StreamTcp};
    InterfaceKind = kInterfaceTcp;
}

int PortOfListeningLine(const std::string& line)
{
    const size_t colon = line.rfind(':');
    return colon == std::string::npos ? -1 : atoi(line.c_str() + colon + 1);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string TempPath(const std::string& name)
{
    const char* dir = getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/kvr-sim-test-" + std::to_string(getpid()) + "-" + name;
}
