#include "cli/platform.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iconv.h>
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

bool ReplaceFileWith(const std::string& temporary, const std::string& target)
{
    return rename(temporary.c_str(), target.c_str()) == 0;
}

void RemoveFileAt(const std::string& path)
{
    unlink(path.c_str());
}

int CurrentProcessId()
{
    return static_cast<int>(getpid());
}

namespace {

// glibc's "CP932" is code page 932 itself (0x5C is the backslash, the NEC
// and IBM extensions are there), unlike its "SHIFT_JIS".
bool Convert(const char* to, const char* from, const std::string& in, std::string& out)
{
    if (in.empty()) {
        out.clear();
        return true;
    }
    const iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1))
        return false;
    // One byte of either side takes at most three of the other (a half-width
    // katakana is one byte in code page 932 and three in UTF-8).
    std::string buffer(3 * in.size() + 4, '\0');
    char* inAt = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char* outAt = &buffer[0];
    size_t outLeft = buffer.size();
    // Without //TRANSLIT a character with no code fails the call; a count
    // above 0 would be a conversion that cannot be undone, refused as well.
    bool converted = iconv(converter, &inAt, &inLeft, &outAt, &outLeft) == 0 && inLeft == 0;
    converted = converted && iconv(converter, nullptr, nullptr, &outAt, &outLeft) == 0;
    iconv_close(converter);
    if (!converted)
        return false;
    buffer.resize(buffer.size() - outLeft);
    out.swap(buffer);
    return true;
}

} // namespace

bool ShiftJisToUtf8(const std::string& shiftJis, std::string& utf8)
{
    return Convert("UTF-8", "CP932", shiftJis, utf8);
}

bool Utf8ToShiftJis(const std::string& utf8, std::string& shiftJis)
{
    return Convert("CP932", "UTF-8", utf8, shiftJis);
}
