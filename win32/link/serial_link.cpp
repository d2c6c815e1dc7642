#include "link/serial_link.h"

#include <windows.h>

#include <cstring>

#include "app/ui_text.h"
#include "common/scoped.h"
#include "link/link_state.h"
#include "link/message_ops.h"
#include "link/send_path.h"
#include "link/serial_lines.h"
#include "protocol/device_model.h"

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
// Back-off after a failed wait: short at first, longer while waits keep
// failing (Wine cannot watch a pseudo-terminal's modem lines, so there every
// wait fails and the thread polls), back to short when bytes arrive.
constexpr DWORD kFirstBackOffMs = 5;
constexpr DWORD kLongestBackOffMs = 50;
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

void ClearPortErrors(HANDLE port)
{
    DWORD errors = 0;
    COMSTAT status;
    ClearCommError(port, &errors, &status);
}

// Waits for an overlapped operation or the stop request. True when the
// operation finished (its result still has to be fetched).
bool WaitForIo(HANDLE ioEvent, HANDLE stop)
{
    HANDLE events[2] = {ioEvent, stop};
    return WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0;
}

// What a receive thread works with, handed over when it starts. It stays as
// it is while the thread runs: the port is not closed and no other thread is
// started before this one has been stopped.
struct ReadThreadStart {
    HANDLE port;   // INVALID_HANDLE_VALUE when no port could be opened
    HANDLE stop;
};
ReadThreadStart ThreadStart;

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
    SetCommMask(port, EV_RXCHAR);

    while (AppRunning) {
        // Wait for a received character. A failed wait backs off (the stop
        // request still ends the back-off) and the input queue is looked at
        // either way, so nothing is left waiting.
        DWORD mask = 0;
        bool waited = false;
        ResetEvent(overlapped.hEvent);
        if (WaitCommEvent(port, &mask, &overlapped)) {
            waited = true;
        } else if (GetLastError() == ERROR_IO_PENDING) {
            if (!WaitForIo(overlapped.hEvent, start.stop)) {
                CancelIo(port);
                break;
            }
            DWORD ignored = 0;
            waited = GetOverlappedResult(port, &overlapped, &ignored, FALSE) != FALSE;
        }
        if (!waited || !(mask & EV_RXCHAR)) {
            ClearPortErrors(port);
            if (WaitForSingleObject(start.stop, backOff) == WAIT_OBJECT_0)
                break;
            backOff = backOff * 2 > kLongestBackOffMs ? kLongestBackOffMs : backOff * 2;
        }

        DWORD errors = 0;
        COMSTAT status = {};
        ClearCommError(port, &errors, &status);
        if (status.cbInQue == 0)
            continue;

        DWORD wanted = status.cbInQue < sizeof readBuffer ? status.cbInQue : sizeof readBuffer;
        DWORD got = 0;
        ResetEvent(overlapped.hEvent);
        if (!ReadFile(port, readBuffer, wanted, &got, &overlapped)) {
            if (GetLastError() != ERROR_IO_PENDING) {
                ClearPortErrors(port);
                continue;
            }
            if (!WaitForIo(overlapped.hEvent, start.stop)) {
                CancelIo(port);
                break;
            }
            if (!GetOverlappedResult(port, &overlapped, &got, FALSE)) {
                ClearPortErrors(port);
                continue;
            }
        }
        if (got > 0) {
            FeedSerialBytes(DeviceModel, lines, readBuffer, static_cast<int>(got));
            backOff = kFirstBackOffMs;
        }
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

    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = MAXDWORD;   // a read returns at once with what is there
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 1000;
    if (!SetCommTimeouts(port, &timeouts))
        ShowError("Miss! Time Out Set");

    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    GetCommState(port, &dcb);
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 8;
    dcb.Parity = EVENPARITY;
    dcb.fParity = FALSE;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    dcb.fOutxCtsFlow = TRUE;
    dcb.fOutX = TRUE;
    dcb.fInX = TRUE;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.XonLim = 256;
    dcb.XoffLim = 256;
    if (!SetCommState(port, &dcb))
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
