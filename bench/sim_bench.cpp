// Figures of the unit simulator: commands answered per second over loopback
// TCP with one command in flight per unit (1 and 96 units, the PC as
// server), the same over its pseudo-terminal, and the simulator's processor
// use while it waits with nothing to do. Prints figures; asserts nothing.
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

double NowSeconds()
{
    using namespace std::chrono;
    return duration_cast<duration<double>>(steady_clock::now().time_since_epoch()).count();
}

struct Child {
    pid_t pid = -1;
    int out = -1;
};

Child Spawn(std::vector<std::string> args)
{
    Child child;
    int fds[2];
    if (pipe(fds) != 0)
        return child;
    std::vector<char*> argv;
    std::string program = KVR_SIM_PATH;
    argv.push_back(&program[0]);
    for (std::string& a : args)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    child.pid = fork();
    if (child.pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execv(KVR_SIM_PATH, argv.data());
        _exit(127);
    }
    close(fds[1]);
    child.out = fds[0];
    return child;
}

// The first printed line beginning with `prefix`.
std::string WaitForLine(Child& child, const std::string& prefix)
{
    std::string text;
    const double end = NowSeconds() + 10;
    while (NowSeconds() < end) {
        size_t start = 0, newline;
        while ((newline = text.find('\n', start)) != std::string::npos) {
            const std::string line = text.substr(start, newline - start);
            if (line.compare(0, prefix.size(), prefix) == 0)
                return line;
            start = newline + 1;
        }
        pollfd item{child.out, POLLIN, 0};
        if (poll(&item, 1, 200) > 0) {
            char buffer[512];
            const ssize_t n = read(child.out, buffer, sizeof buffer);
            if (n <= 0)
                break;
            text.append(buffer, static_cast<size_t>(n));
        }
    }
    return "";
}

void Stop(Child& child)
{
    if (child.pid > 0) {
        kill(child.pid, SIGTERM);
        waitpid(child.pid, nullptr, 0);
    }
    if (child.out >= 0)
        close(child.out);
    child = Child();
}

// User and system time of a process so far, in seconds.
double CpuSeconds(pid_t pid)
{
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
    FILE* f = fopen(path, "r");
    if (!f)
        return -1;
    char text[1024] = {};
    const size_t n = fread(text, 1, sizeof text - 1, f);
    fclose(f);
    text[n] = '\0';
    const char* p = strrchr(text, ')');
    if (!p)
        return -1;
    // After the name: state, then fields 4..13, then utime (14) and stime (15).
    unsigned long utime = 0, stime = 0;
    if (sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime) != 2)
        return -1;
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The commands a status view and a routing dialog send, in turn.
const char* const kCommands[] = {"ROS\r\n", "ROCD\r\n", "RVL\r\n", "OP05\r\n", "ROP05\r\n", "OP0103S02\r\n"};
constexpr int kCommandCount = sizeof kCommands / sizeof kCommands[0];

struct Exchange {
    explicit Exchange(int descriptor) : fd(descriptor) {}
    int fd;
    int next = 0;
    std::string received;
};

void SendNext(Exchange& e)
{
    const char* command = kCommands[e.next++ % kCommandCount];
    const ssize_t ignored = write(e.fd, command, strlen(command));
    (void)ignored;
}

// Keeps one command in flight on every stream for `seconds`; returns the
// number of replies.
long Drive(std::vector<Exchange>& streams, double seconds)
{
    std::vector<pollfd> items(streams.size());
    for (size_t i = 0; i < streams.size(); ++i) {
        items[i] = {streams[i].fd, POLLIN, 0};
        SendNext(streams[i]);
    }
    long replies = 0;
    const double end = NowSeconds() + seconds;
    while (NowSeconds() < end) {
        if (poll(items.data(), items.size(), 100) <= 0)
            continue;
        for (size_t i = 0; i < streams.size(); ++i) {
            if (!(items[i].revents & POLLIN))
                continue;
            char buffer[4096];
            const ssize_t n = read(streams[i].fd, buffer, sizeof buffer);
            if (n <= 0)
                continue;
            Exchange& e = streams[i];
            e.received.append(buffer, static_cast<size_t>(n));
            size_t newline;
            while ((newline = e.received.find('\n')) != std::string::npos) {
                e.received.erase(0, newline + 1);
                ++replies;
                SendNext(e);
            }
        }
    }
    return replies;
}

int ListenOnLoopback(int& port)
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, 128) != 0)
        return -1;
    socklen_t length = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return s;
}

void TcpThroughput(int units, double seconds)
{
    int port = 0;
    const int server = ListenOnLoopback(port);
    if (server < 0) {
        printf("tcp, %d units: cannot listen\n", units);
        return;
    }
    Child sim = Spawn({"--tcp-connect", "127.0.0.1:" + std::to_string(port), "--units", std::to_string(units)});
    if (WaitForLine(sim, "connected ").empty()) {
        printf("tcp, %d units: the simulator did not connect\n", units);
        Stop(sim);
        close(server);
        return;
    }
    std::vector<Exchange> streams;
    for (int k = 0; k < units; ++k) {
        const int s = accept(server, nullptr, nullptr);
        int on = 1;
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        streams.emplace_back(s);
    }
    close(server);
    const double cpuBefore = CpuSeconds(sim.pid);
    const double start = NowSeconds();
    const long replies = Drive(streams, seconds);
    const double elapsed = NowSeconds() - start;
    const double cpu = CpuSeconds(sim.pid) - cpuBefore;
    printf("tcp, %2d unit%s, one command in flight each: %9.0f commands/s, %7.1f us per round trip, "
           "simulator CPU %3.0f%%\n",
           units, units == 1 ? " " : "s", replies / elapsed, elapsed * 1e6 * units / (replies ? replies : 1),
           100.0 * cpu / elapsed);
    for (Exchange& e : streams)
        close(e.fd);
    Stop(sim);
}

void PtyThroughput(double seconds)
{
    Child sim = Spawn({"--pty"});
    const std::string line = WaitForLine(sim, "pty ");
    const int fd = line.empty() ? -1 : open(line.c_str() + 4, O_RDWR | O_NOCTTY);
    if (fd < 0) {
        printf("pty: the simulator's pty did not open\n");
        Stop(sim);
        return;
    }
    termios settings;
    tcgetattr(fd, &settings);
    cfmakeraw(&settings);
    tcsetattr(fd, TCSANOW, &settings);
    std::vector<Exchange> streams;
    streams.emplace_back(fd);
    const double start = NowSeconds();
    const long replies = Drive(streams, seconds);
    const double elapsed = NowSeconds() - start;
    printf("pty, 1 unit, one command in flight:            %9.0f commands/s, %7.1f us per round trip\n",
           replies / elapsed, elapsed * 1e6 / (replies ? replies : 1));
    close(fd);
    Stop(sim);
}

void IdleCpu(const char* what, std::vector<std::string> args, const char* ready, double seconds)
{
    int server = -1;
    std::vector<int> accepted;
    if (args.empty()) {
        int port = 0;
        server = ListenOnLoopback(port);
        args = {"--tcp-connect", "127.0.0.1:" + std::to_string(port), "--units", "96"};
    }
    Child sim = Spawn(args);
    if (WaitForLine(sim, ready).empty()) {
        printf("idle, %s: the simulator did not start\n", what);
        Stop(sim);
        return;
    }
    if (server >= 0) {
        for (int k = 0; k < 96; ++k)
            accepted.push_back(accept(server, nullptr, nullptr));
        close(server);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const double before = CpuSeconds(sim.pid);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double used = CpuSeconds(sim.pid) - before;
    printf("idle, %-52s CPU %.3f%% (%.3f s of processor time in %.0f s)\n", what, 100.0 * used / seconds, used,
           seconds);
    for (int s : accepted)
        close(s);
    Stop(sim);
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? atof(argv[1]) : 3.0;
    signal(SIGPIPE, SIG_IGN);
    printf("kvr2840e-sim benchmark (%.0f s per figure)\n", seconds);
    TcpThroughput(1, seconds);
    TcpThroughput(96, seconds);
    PtyThroughput(seconds);
    IdleCpu("pty and a listening TCP unit, nothing sent:", {"--pty", "--tcp-listen", "0"}, "listening ", seconds);
    IdleCpu("96 connected TCP units, nothing sent:", {}, "connected ", seconds);
    IdleCpu("listening unit with a flapping input (1 s):", {"--tcp-listen", "0", "--video-loss-flap", "1"},
            "listening ", seconds);
    return 0;
}
