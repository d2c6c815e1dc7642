#include "cli/platform.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

struct SerialPort {
    int fd;
};

namespace {

bool IsPseudoTerminal(const std::string& device)
{
    char resolved[PATH_MAX];
    return realpath(device.c_str(), resolved) && strncmp(resolved, "/dev/pts/", 9) == 0;
}

} // namespace

SerialPort* OpenSerialPort(const std::string& device, std::string& error)
{
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        error = "cannot open " + device + ": " + strerror(errno);
        return nullptr;
    }
    termios settings;
    if (tcgetattr(fd, &settings) != 0) {
        error = device + " is not a serial port: " + strerror(errno);
        close(fd);
        return nullptr;
    }
    cfmakeraw(&settings);
    settings.c_cflag &= ~(CSIZE | PARODD | CSTOPB);
    settings.c_cflag |= CS8 | PARENB | CREAD | CLOCAL | CRTSCTS;
    // Parity is sent; it is not checked on input, as the program does.
    settings.c_iflag &= ~(INPCK | PARMRK | ISTRIP);
    settings.c_iflag |= IXON | IXOFF;
    settings.c_cc[VSTART] = 0x11;
    settings.c_cc[VSTOP] = 0x13;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    cfsetispeed(&settings, B9600);
    cfsetospeed(&settings, B9600);
    bool set = tcsetattr(fd, TCSANOW, &settings) == 0;
    if (!set && errno == EINVAL && IsPseudoTerminal(device)) {
        // A pseudo-terminal has no parity bit to send: Linux refuses PARENB on
        // one whose other settings are already as asked.
        settings.c_cflag &= ~PARENB;
        set = tcsetattr(fd, TCSANOW, &settings) == 0;
    }
    if (!set) {
        error = "cannot set 9600 8E1 on " + device + ": " + strerror(errno);
        close(fd);
        return nullptr;
    }
    tcflush(fd, TCIOFLUSH);
    return new SerialPort{fd};
}

void CloseSerialPort(SerialPort* port)
{
    if (port) {
        close(port->fd);
        delete port;
    }
}

bool WriteSerialPort(SerialPort* port, const char* data, int length)
{
    while (length > 0) {
        const ssize_t n = write(port->fd, data, static_cast<size_t>(length));
        if (n > 0) {
            data += n;
            length -= static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            // Held by flow control: wait for room, but not for ever.
            pollfd item{port->fd, POLLOUT, 0};
            if (poll(&item, 1, 2000) > 0)
                continue;
        }
        return false;
    }
    return true;
}

int ReadSerialPort(SerialPort* port, char* buffer, int size, int timeoutMs)
{
    pollfd item{port->fd, POLLIN, 0};
    const int ready = poll(&item, 1, timeoutMs < 0 ? -1 : timeoutMs);
    if (ready < 0)
        return errno == EINTR ? 0 : -1;
    if (ready == 0)
        return 0;
    const ssize_t n = read(port->fd, buffer, static_cast<size_t>(size));
    if (n > 0)
        return static_cast<int>(n);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return 0;
    return -1;   // the other end is gone (a pty whose simulator ended reads EIO)
}

void PrepareProcess()
{
    signal(SIGPIPE, SIG_IGN);
}

std::vector<std::string> Utf8Arguments(int argc, char** argv)
{
    return std::vector<std::string>(argv, argv + argc);
}

bool ProgressTerminal()
{
    if (!isatty(STDERR_FILENO))
        return false;
    const char* term = getenv("TERM");
    return term && strcmp(term, "dumb") != 0;
}

void UseBinaryStdout()
{
    // POSIX has no text mode.
}

FILE* OpenUtf8File(const std::string& path, const char* mode)
{
    return fopen(path.c_str(), mode);
}

bool FileExists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

namespace {

std::string LocalTimeText(time_t at, const char* format)
{
    struct tm local;
    char text[32];
    if (!localtime_r(&at, &local) || strftime(text, sizeof text, format, &local) == 0)
        return "";
    return text;
}

} // namespace

std::string FileModifiedText(const std::string& path)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return "";
    return LocalTimeText(info.st_mtime, "%Y-%m-%d %H:%M");
}

std::string TodayText()
{
    return LocalTimeText(time(nullptr), "%Y-%m-%d");
}
