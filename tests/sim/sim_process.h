// Running the real simulator for end-to-end tests (POSIX): start it, wait for
// the lines it prints, talk to it over its pty or TCP, and stop it by its pid.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class SimProcess {
public:
    SimProcess() = default;
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;
    // A process the test did not stop is killed and reaped here.
    ~SimProcess();

    bool Start(const std::vector<std::string>& args);
    // The next printed line that begins with `prefix`; "" after `timeoutMs`.
    std::string WaitForLine(const std::string& prefix, int timeoutMs = 5000);
    // SIGTERM, then the exit status (-1 when it did not end within 5 s).
    int Stop();
    // The exit status once it ends by itself; -1 after `timeoutMs`.
    int WaitExit(int timeoutMs);
    // Everything printed so far.
    const std::string& Output() const { return output_; }

private:
    void ReadOutput(int timeoutMs);

    pid_t pid_ = -1;
    int out_ = -1;
    std::string output_;
    size_t scanned_ = 0;   // lines before this offset were matched already
};

// Runs the simulator to its end (for --help and refused options).
int RunSimToEnd(const std::vector<std::string>& args, std::string& output);

// A raw byte stream to the simulator: the pty's slave side or a TCP socket.
class TestStream {
public:
    TestStream() = default;
    TestStream(const TestStream&) = delete;
    TestStream& operator=(const TestStream&) = delete;
    ~TestStream();

    bool OpenPty(const std::string& path);       // raw, 8 bits, like a serial port
    bool ConnectTcp(int port);                    // 127.0.0.1
    bool AdoptSocket(int fd);
    int fd() const { return fd_; }

    void Send(const std::string& bytes);
    // One read of whatever arrives within `timeoutMs`; "" when nothing did.
    std::string ReadChunk(int timeoutMs);
    // Reads until the received text ends in a line feed.
    std::string ReadReply(int timeoutMs = 3000);
    // True when nothing arrives for `ms`.
    bool Silent(int ms);

private:
    int fd_ = -1;
};

// Program-side wires over a stream: the transport writes each frame or
// command to it and hands the reply to the serial or dialog-side parser, as
// the program's receive thread and dialogs would. No reply is awaited after
// an RS-485 broadcast. TcpReplyChunks counts the reads of the last reply.
void UseStreamSerialWire(TestStream& stream);
void UseStreamTcpWire(TestStream& stream);
extern int TcpReplyChunks;

int PortOfListeningLine(const std::string& line);
std::string ReadFile(const std::string& path);
std::string TempPath(const std::string& name);
