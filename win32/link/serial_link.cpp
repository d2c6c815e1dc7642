#include "link/serial_link.h"

#include <windows.h>

#include <cstring>

#include "app/ui_text.h"
#include "common/scoped.h"
#include "link/link_state.h"
#include "link/message_ops.h"
#include "link/send_path.h"
#include "link/serial_line_settings.h"
#include "link/serial_lines.h"
#include "protocol/device_model.h"

SerialReadCounts SerialReadRequests;

namespace {

// The open port. Only the user-interface thread opens, closes and writes it;
// the receive thread is handed the handle when it starts, and is stopped
// before the port is closed, so it never reads a closed or replaced handle.
ScopedHandle Port;

// The write in flight: its bytes live here until the system has finished
// with them, and the next write first waits for the previous one.
char WriteBuffer[kFrameBufferBytes];
ScopedHandle WriteEvent;
OVERLAPPED WriteOverlapped;
bool WritePending = false;

ScopedHandle ReadThread;
ScopedHandle StopEvent;
// A read waits for its first byte this long at most (and at once returns
// every byte that is there); at idle the receive thread wakes this seldom.
constexpr DWORD kReadWaitMs = 10000;
// Back-off after a read the port refused outright (a removed adapter, a
// broken line): short at first, longer while reads keep failing, so that a
// dead port does not spin a core; back to short once a read has been taken.
constexpr DWORD kFirstBackOffMs = 5;
constexpr DWORD kLongestBackOffMs = 1000;
// How long a stop waits for the thread; it ends at its next wait, which a
// stop request always ends.
constexpr DWORD kThreadStopWaitMs = 5000;

void FinishPendingWrite()
{
    if (!WritePending)
        return;
    DWORD written = 0;
    // The write time-out of the port bounds this wait (one second).
    GetOverlappedResult(Port.get(), &WriteOverlapped, &written, TRUE);
    WritePending = false;
}

void WriteToPort(const char* frame, int length)
{
    if (!Port)
        return;   // no port: the reply never comes, and the status timer says so
    FinishPendingWrite();
    if (length > static_cast<int>(sizeof WriteBuffer))
        length = static_cast<int>(sizeof WriteBuffer);
    memcpy(WriteBuffer, frame, static_cast<size_t>(length));
    memset(&WriteOverlapped, 0, sizeof WriteOverlapped);
    WriteOverlapped.hEvent = WriteEvent.get();
    ResetEvent(WriteEvent.get());
    DWORD written = 0;
    if (WriteFile(Port.get(), WriteBuffer, static_cast<DWORD>(length), &written, &WriteOverlapped))
        return;
    if (GetLastError() == ERROR_IO_PENDING)
        WritePending = true;
}

// The bytes waiting in the port's input queue; also clears a line error,
// which would otherwise hold every later read.
DWORD QueuedBytes(HANDLE port)
{
    DWORD errors = 0;
    COMSTAT status = {};
    if (!ClearCommError(port, &errors, &status))
        return 0;
    return status.cbInQue;
}

// What a receive thread works with, handed over when it starts. It stays as
// it is while the thread runs: the port is not closed and no other thread is
// started before this one has been stopped.
struct ReadThreadStart {
    HANDLE port;   // INVALID_HANDLE_VALUE when no port could be opened
    HANDLE stop;
};
ReadThreadStart ThreadStart;

enum ReadOutcome { kReadTaken, kReadRefused, kReadStopped };

// One overlapped read of up to `wanted` bytes into `buffer`, waited for to
// its end or to the stop request. Under the port's time-outs it ends as soon
// as one byte is there (with every byte that is), or empty after
// kReadWaitMs. A stopped read is cancelled and its end still waited for, so
// that the system is done with `overlapped` and `buffer` before they go.
ReadOutcome ReadPort(HANDLE port, HANDLE stop, OVERLAPPED& overlapped, char* buffer, DWORD wanted, DWORD& got)
{
    got = 0;
    ResetEvent(overlapped.hEvent);
    if (!ReadFile(port, buffer, wanted, nullptr, &overlapped) && GetLastError() != ERROR_IO_PENDING)
        return kReadRefused;
    ++SerialReadRequests.issued;
    HANDLE events[2] = {overlapped.hEvent, stop};
    const bool stopped = WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0;
    if (stopped)
        CancelIo(port);
    const BOOL finished = GetOverlappedResult(port, &overlapped, &got, TRUE);
    ++SerialReadRequests.finished;
    if (stopped)
        return kReadStopped;
    if (finished)
        return kReadTaken;
    // A read that timed out empty is a good read of nothing (Wine reports
    // the time-out as an error; Windows as a short read).
    const DWORD error = GetLastError();
    return error == ERROR_TIMEOUT || error == WAIT_TIMEOUT || error == ERROR_SEM_TIMEOUT ? kReadTaken : kReadRefused;
}

DWORD WINAPI SerialReadThread(void* parameter)
{
    const ReadThreadStart start = *static_cast<const ReadThreadStart*>(parameter);
    const HANDLE port = start.port;
    if (port == INVALID_HANDLE_VALUE) {
        // Nothing to read: opening a port stops this thread, and the one
        // started after it reads that port.
        WaitForSingleObject(start.stop, INFINITE);
        return 0;
    }

    SerialLineBuffer lines;
    ResetSerialLines(lines);
    char readBuffer[600];
    ScopedHandle ioEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED overlapped = {};
    overlapped.hEvent = ioEvent.get();
    DWORD backOff = kFirstBackOffMs;
    QueuedBytes(port);

    // The thread sleeps in a read of one byte until the line brings one, then
    // takes what else has arrived with it. (A port's event wait would serve
    // too, but Wine cannot watch a pseudo-terminal's modem lines and fails
    // it; a read works the same on both.) Reading one byte first is what
    // makes the wait end at the first byte on any driver, not only on those
    // that honour the time-outs' return-at-first-byte rule.
    while (AppRunning) {
        DWORD got = 0;
        ReadOutcome outcome = ReadPort(port, start.stop, overlapped, readBuffer, 1, got);
        if (outcome == kReadTaken && got == 1) {
            const DWORD queued = QueuedBytes(port);
            const DWORD room = static_cast<DWORD>(sizeof readBuffer) - 1;
            DWORD more = 0;
            if (queued > 0)
                outcome = ReadPort(port, start.stop, overlapped, readBuffer + 1, queued < room ? queued : room, more);
            got += more;
        }
        if (got > 0)
            FeedSerialBytes(DeviceModel, lines, readBuffer, static_cast<int>(got));
        if (outcome == kReadStopped)
            break;
        if (outcome == kReadTaken) {
            backOff = kFirstBackOffMs;
            continue;
        }
        QueuedBytes(port);
        if (WaitForSingleObject(start.stop, backOff) == WAIT_OBJECT_0)
            break;
        backOff = backOff * 2 > kLongestBackOffMs ? kLongestBackOffMs : backOff * 2;
    }

    PurgeComm(port, PURGE_RXCLEAR);
    return 0;
}

} // namespace

std::wstring SerialDeviceName(const char* portName)
{
    std::wstring name = WideFromUtf8(portName);
    const bool shortName = name.size() == 4 && name.compare(0, 3, L"COM") == 0 && name[3] >= L'1' &&
                           name[3] <= L'9';
    return shortName ? name : L"\\\\.\\" + name;
}

void OpenSerialPort()
{
    CloseSerialPort();
    WriteEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));

    const char* portName = PortIndex >= 0 && PortIndex < kPortNameCount ? PortNameTable[PortIndex] : "";
    HANDLE port = CreateFileW(SerialDeviceName(portName).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE)
        ShowError("Miss! File Open");
    if (!SetCommMask(port, EV_RXCHAR))
        ShowError("Miss! Mask Set");
    if (!SetupComm(port, 2000, 2000))
        ShowError("Miss! Buffer Set");

    // A read returns at once with the bytes that are there; with none, it
    // waits for the first (up to kReadWaitMs) and returns with it.
    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = kReadWaitMs;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 1000;
    if (!SetCommTimeouts(port, &timeouts))
        ShowError("Miss! Time Out Set");

    if (!SetUnitLineSettings(port, SerialHandshake::kHardwareAndXonXoff))
        ShowError("Miss! Set Comm State");

    Port.reset(port);
}

void CloseSerialPort()
{
    StopSerialReadThread();
    if (Port)
        FinishPendingWrite();
    WritePending = false;
    Port.reset();
    WriteEvent.reset();
}

bool SerialReadThreadRunning()
{
    return static_cast<bool>(ReadThread);
}

bool StartSerialReadThread()
{
    if (ReadThread)
        return true;
    StopEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!StopEvent)
        return false;
    ThreadStart = {Port ? Port.get() : INVALID_HANDLE_VALUE, StopEvent.get()};
    ReadThread.reset(CreateThread(nullptr, 0, SerialReadThread, &ThreadStart, 0, nullptr));
    if (!ReadThread) {
        StopEvent.reset();
        return false;
    }
    return true;
}

void StopSerialReadThread()
{
    if (!ReadThread)
        return;
    SetEvent(StopEvent.get());
    if (WaitForSingleObject(ReadThread.get(), kThreadStopWaitMs) != WAIT_OBJECT_0) {
        // A thread that has not ended still waits on its stop event: that
        // event must outlive it, so it is left open rather than closed.
        StopEvent.release();
    }
    ReadThread.reset();
    StopEvent.reset();
}

namespace {

void StartReceiving()
{
    if (!StartSerialReadThread())
        ShowError("error creating read thread");
}

} // namespace

void ReopenSerialPort()
{
    const bool receiving = SerialReadThreadRunning();
    OpenSerialPort();
    if (receiving)
        StartReceiving();
}

void StartSerialLink()
{
    // Opening stops a receive thread that ran without a port; it starts
    // again below, on the port now open.
    if (!Port)
        OpenSerialPort();
    if (!ReadThread)
        StartReceiving();
}

void InstallSerialTransport()
{
    ActiveTransport.writeSerial = WriteToPort;
}
