#include "sim/serial_port.h"

#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "sim/waker.h"
#include "win32/link/serial_line_settings.h"

// The COM port is opened for overlapped I/O and served by one worker thread,
// which waits for received bytes and for write requests together and hands
// what arrived over under a lock. The main loop learns of it from the waker.
struct SerialPort {
    HANDLE port = INVALID_HANDLE_VALUE;
    HANDLE readDone = nullptr;      // overlapped read completed
    HANDLE writeDone = nullptr;     // overlapped write completed
    HANDLE writeWanted = nullptr;   // the main loop queued bytes
    HANDLE stop = nullptr;
    std::thread worker;

    std::mutex lock;                // guards the fields below
    std::string received;
    LineError receivedError = kLineErrorNone;
    std::string toWrite;
    bool failed = false;
};

namespace {

std::string WindowsError(const std::string& what)
{
    return what + " (error " + std::to_string(GetLastError()) + ")";
}

LineError LineErrorOf(DWORD errors)
{
    if (errors & (CE_OVERRUN | CE_RXOVER))
        return kLineErrorOverrun;
    if (errors & CE_RXPARITY)
        return kLineErrorParity;
    if (errors & CE_FRAME)
        return kLineErrorFraming;
    return kLineErrorNone;
}

void Deliver(SerialPort* p, const char* bytes, DWORD count)
{
    {
        std::lock_guard<std::mutex> guard(p->lock);
        p->received.append(bytes, count);
    }
    PokeWaker();
}

void Fail(SerialPort* p)
{
    {
        std::lock_guard<std::mutex> guard(p->lock);
        p->failed = true;
    }
    PokeWaker();
}

// Writes everything queued, waiting for each overlapped write to finish.
bool WriteQueued(SerialPort* p)
{
    std::string bytes;
    {
        std::lock_guard<std::mutex> guard(p->lock);
        bytes.swap(p->toWrite);
    }
    if (bytes.empty())
        return true;
    OVERLAPPED write = {};
    write.hEvent = p->writeDone;
    DWORD written = 0;
    if (!WriteFile(p->port, bytes.data(), static_cast<DWORD>(bytes.size()), &written, &write) &&
        GetLastError() != ERROR_IO_PENDING)
        return false;
    return GetOverlappedResult(p->port, &write, &written, TRUE) != 0;
}

// Reads exactly what the driver has queued (a read of more could stay
// pending on some drivers until more bytes come); false when the port failed.
bool ReadQueued(SerialPort* p)
{
    char buffer[512];
    while (true) {
        DWORD errors = 0;
        COMSTAT status = {};
        if (!ClearCommError(p->port, &errors, &status))
            return false;
        const LineError error = LineErrorOf(errors);
        if (error != kLineErrorNone) {
            std::lock_guard<std::mutex> guard(p->lock);
            if (p->receivedError == kLineErrorNone)
                p->receivedError = error;
        }
        if (status.cbInQue == 0)
            return true;
        const DWORD want = status.cbInQue < sizeof buffer ? status.cbInQue : static_cast<DWORD>(sizeof buffer);
        OVERLAPPED read = {};
        read.hEvent = p->readDone;
        ResetEvent(p->readDone);
        DWORD got = 0;
        if (!ReadFile(p->port, buffer, want, &got, &read)) {
            if (GetLastError() != ERROR_IO_PENDING || !GetOverlappedResult(p->port, &read, &got, TRUE))
                return false;
        }
        if (got == 0)
            return true;
        Deliver(p, buffer, got);
    }
}

// Keeps one read of a single byte pending, so that the thread sleeps until a
// byte arrives (no read time-outs are set), and then takes the rest of the
// queue. Write requests are served in between. The stop event ends it.
// (Waiting for the receive-character event instead would spin on drivers
// that abort pending event waits, as Wine does on a pty.)
void Work(SerialPort* p)
{
    char first = 0;
    OVERLAPPED read = {};
    read.hEvent = p->readDone;
    bool reading = false;
    while (true) {
        if (!reading) {
            ResetEvent(p->readDone);
            DWORD got = 0;
            if (ReadFile(p->port, &first, 1, &got, &read)) {
                if (got == 1)
                    Deliver(p, &first, 1);
                if (!ReadQueued(p)) {
                    Fail(p);
                    return;
                }
                continue;
            }
            if (GetLastError() != ERROR_IO_PENDING) {
                Fail(p);
                return;
            }
            reading = true;
        }
        HANDLE events[3] = {p->stop, p->readDone, p->writeWanted};
        const DWORD which = WaitForMultipleObjects(3, events, FALSE, INFINITE);
        if (which == WAIT_OBJECT_0) {
            CancelIo(p->port);
            DWORD ignored;
            GetOverlappedResult(p->port, &read, &ignored, TRUE);
            return;
        }
        bool ok = true;
        if (which == WAIT_OBJECT_0 + 1) {
            DWORD got = 0;
            reading = false;
            ok = GetOverlappedResult(p->port, &read, &got, FALSE) != 0;
            if (ok && got == 1)
                Deliver(p, &first, 1);
            ok = ok && ReadQueued(p);
        } else if (which == WAIT_OBJECT_0 + 2) {
            ok = WriteQueued(p);
        } else {
            ok = false;
        }
        if (!ok) {
            Fail(p);
            return;
        }
    }
}

} // namespace

SerialPort* OpenPtySerial(const std::string&, std::string&, std::string& error)
{
    error = "--pty needs a POSIX system; on Windows use --serial COMn";
    return nullptr;
}

SerialPort* OpenDeviceSerial(const std::string& device, std::string& error)
{
    // The \\.\ form opens every COM port, COM10 and above included.
    const std::string path = device.compare(0, 4, "\\\\.\\") == 0 ? device : "\\\\.\\" + device;
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = WindowsError("cannot open " + device);
        return nullptr;
    }
    SetupComm(handle, 2000, 2000);

    const bool lineSet = SetUnitLineSettings(handle, SerialHandshake::kXoffOnly);
    if (!lineSet) {
        // Some drivers (a pty under Wine) refuse parity; the simulator can
        // still serve the line with the settings it has.
        fprintf(stderr, "warning: could not set 9600 baud, 8E1 on %s; using the port's settings\n",
                device.c_str());
    }

    // No time-outs: a read ends when its bytes are there, a write when it
    // has been sent.
    COMMTIMEOUTS timeouts = {};
    SetCommTimeouts(handle, &timeouts);
    PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);

    SerialPort* p = new SerialPort;
    p->port = handle;
    p->readDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    p->writeDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    p->writeWanted = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    p->stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!p->readDone || !p->writeDone || !p->writeWanted || !p->stop) {
        error = WindowsError("cannot create the port's events");
        CloseSerial(p);
        return nullptr;
    }
    p->worker = std::thread(Work, p);
    return p;
}

void CloseSerial(SerialPort* p)
{
    if (!p)
        return;
    if (p->worker.joinable()) {
        SetEvent(p->stop);
        // A write held back by the PC's XOFF must not keep us from ending.
        CancelIoEx(p->port, nullptr);
        p->worker.join();
    }
    for (HANDLE h : {p->readDone, p->writeDone, p->writeWanted, p->stop})
        if (h)
            CloseHandle(h);
    if (p->port != INVALID_HANDLE_VALUE)
        CloseHandle(p->port);
    delete p;
}

NetHandle SerialWaitHandle(const SerialPort*)
{
    return kNoHandle;
}

bool SerialWriteBlocked(const SerialPort*)
{
    return false;
}

int ReadSerial(SerialPort* p, char* buffer, int capacity, LineError& error)
{
    std::lock_guard<std::mutex> guard(p->lock);
    error = kLineErrorNone;
    if (p->received.empty())
        return p->failed ? -1 : 0;
    const int n = static_cast<int>(p->received.size()) < capacity ? static_cast<int>(p->received.size())
                                                                   : capacity;
    memcpy(buffer, p->received.data(), static_cast<size_t>(n));
    p->received.erase(0, static_cast<size_t>(n));
    error = p->receivedError;
    p->receivedError = kLineErrorNone;
    return n;
}

int WriteSerial(SerialPort* p, const char* data, int count)
{
    {
        std::lock_guard<std::mutex> guard(p->lock);
        if (p->failed)
            return -1;
        p->toWrite.append(data, static_cast<size_t>(count));
    }
    SetEvent(p->writeWanted);
    return count;
}
