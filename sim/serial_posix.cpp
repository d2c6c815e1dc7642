#include "sim/serial_port.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#if defined(__linux__)
#include <linux/serial.h>
#endif

struct SerialPort {
    int fd = -1;            // the pty's master side, or the device
    int slaveKeeper = -1;   // the pty's slave side, held open by us
    std::string linkPath;   // our symlink to the pty, removed again at the end
    std::string slavePath;
    bool writeBlocked = false;
#if defined(TIOCGICOUNT)
    bool counting = false;  // the driver keeps line-error counters
    serial_icounter_struct counts{};
#endif
};

namespace {

std::string SystemError(const std::string& what)
{
    return what + ": " + strerror(errno);
}

bool SetNonBlocking(int fd)
{
    const int flags = fcntl(fd, F_GETFL, 0);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

// A symlink is ours to replace; any other file is not.
bool PlaceLink(const std::string& linkPath, const std::string& target, std::string& error)
{
    struct stat info;
    if (lstat(linkPath.c_str(), &info) == 0) {
        if (!S_ISLNK(info.st_mode)) {
            error = linkPath + " exists and is not a symlink; not replacing it";
            return false;
        }
        unlink(linkPath.c_str());
    }
    if (symlink(target.c_str(), linkPath.c_str()) != 0) {
        error = SystemError("cannot create the symlink " + linkPath);
        return false;
    }
    return true;
}

void RemoveLinkIfOurs(const std::string& linkPath, const std::string& target)
{
    char buffer[PATH_MAX];
    const ssize_t n = readlink(linkPath.c_str(), buffer, sizeof buffer - 1);
    if (n < 0)
        return;
    buffer[n] = '\0';
    if (target == buffer)
        unlink(linkPath.c_str());
}

#if defined(TIOCGICOUNT)
// What the driver counted since the last look, as the line error to report.
LineError NewLineError(SerialPort* port)
{
    if (!port->counting)
        return kLineErrorNone;
    serial_icounter_struct now{};
    if (ioctl(port->fd, TIOCGICOUNT, &now) != 0)
        return kLineErrorNone;
    LineError error = kLineErrorNone;
    if (now.overrun != port->counts.overrun || now.buf_overrun != port->counts.buf_overrun)
        error = kLineErrorOverrun;
    else if (now.parity != port->counts.parity)
        error = kLineErrorParity;
    else if (now.frame != port->counts.frame)
        error = kLineErrorFraming;
    port->counts = now;
    return error;
}
#else
LineError NewLineError(SerialPort*)
{
    return kLineErrorNone;
}
#endif

} // namespace

SerialPort* OpenPtySerial(const std::string& linkPath, std::string& slavePath, std::string& error)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        error = SystemError("cannot create a pseudo-terminal");
        if (master >= 0)
            close(master);
        return nullptr;
    }
    const char* name = ptsname(master);
    slavePath = name ? name : "";
    // Holding the slave side open keeps the master from reporting a hang-up
    // (and waking us without end) while no program has the port open. It
    // also keeps the raw line settings between the program's opens.
    const int slave = slavePath.empty() ? -1 : open(slavePath.c_str(), O_RDWR | O_NOCTTY);
    if (slave < 0 || !SetNonBlocking(master)) {
        error = SystemError("cannot open the pseudo-terminal " + slavePath);
        close(master);
        if (slave >= 0)
            close(slave);
        return nullptr;
    }
    termios settings;
    if (tcgetattr(slave, &settings) == 0) {
        cfmakeraw(&settings);
        settings.c_cflag |= CS8 | CREAD | CLOCAL;
        cfsetispeed(&settings, B9600);
        cfsetospeed(&settings, B9600);
        tcsetattr(slave, TCSANOW, &settings);
    }
    if (!linkPath.empty() && !PlaceLink(linkPath, slavePath, error)) {
        close(master);
        close(slave);
        return nullptr;
    }
    SerialPort* port = new SerialPort;
    port->fd = master;
    port->slaveKeeper = slave;
    port->linkPath = linkPath;
    port->slavePath = slavePath;
    return port;
}

SerialPort* OpenDeviceSerial(const std::string& device, std::string& error)
{
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        error = SystemError("cannot open " + device);
        return nullptr;
    }
    termios settings;
    if (tcgetattr(fd, &settings) != 0) {
        error = SystemError(device + " is no serial port");
        close(fd);
        return nullptr;
    }
    cfmakeraw(&settings);
    // 9600 baud, 8 data bits, even parity checked on input, 1 stop bit. No
    // hardware handshake, so that a three-wire cable works; the PC's XOFF is
    // honoured.
    settings.c_cflag &= ~(CSIZE | PARODD | CSTOPB);
#ifdef CRTSCTS
    settings.c_cflag &= ~CRTSCTS;
#endif
    settings.c_cflag |= CS8 | PARENB | CREAD | CLOCAL;
    settings.c_iflag |= INPCK | IXON;
    settings.c_iflag &= ~(IGNPAR | PARMRK | ISTRIP | IXOFF);
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    cfsetispeed(&settings, B9600);
    cfsetospeed(&settings, B9600);
    if (tcsetattr(fd, TCSANOW, &settings) != 0) {
        error = SystemError("cannot set 9600 baud, 8E1 on " + device);
        close(fd);
        return nullptr;
    }
    tcflush(fd, TCIOFLUSH);
    SerialPort* port = new SerialPort;
    port->fd = fd;
#if defined(TIOCGICOUNT)
    port->counting = ioctl(fd, TIOCGICOUNT, &port->counts) == 0;
#endif
    return port;
}

void CloseSerial(SerialPort* port)
{
    if (!port)
        return;
    if (!port->linkPath.empty())
        RemoveLinkIfOurs(port->linkPath, port->slavePath);
    if (port->fd >= 0)
        close(port->fd);
    if (port->slaveKeeper >= 0)
        close(port->slaveKeeper);
    delete port;
}

NetHandle SerialWaitHandle(const SerialPort* port)
{
    return port->fd;
}

bool SerialWriteBlocked(const SerialPort* port)
{
    return port->writeBlocked;
}

int ReadSerial(SerialPort* port, char* buffer, int capacity, LineError& error)
{
    error = kLineErrorNone;
    const ssize_t n = read(port->fd, buffer, static_cast<size_t>(capacity));
    if (n > 0) {
        error = NewLineError(port);
        return static_cast<int>(n);
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return 0;
    // 0 bytes from a readable tty is a hang-up (a USB adapter pulled out):
    // the line is gone, like on a read error.
    return -1;
}

int WriteSerial(SerialPort* port, const char* data, int count)
{
    const ssize_t n = write(port->fd, data, static_cast<size_t>(count));
    if (n >= 0) {
        port->writeBlocked = n < count;
        return static_cast<int>(n);
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
        port->writeBlocked = true;
        return 0;
    }
    return -1;
}
