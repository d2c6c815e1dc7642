#include "link/serial_link.h"

#include <windows.h>

#include <atomic>
#include <cstring>

#include "app/ui_text.h"
#include "link/link_state.h"
#include "link/message_ops.h"
#include "link/send_path.h"
#include "link/serial_lines.h"
#include "protocol/device_model.h"

namespace {

std::atomic<HANDLE> PortHandle{INVALID_HANDLE_VALUE};

// The write in flight: its bytes live here until the system has finished
// with them, and the next write first waits for the previous one.
char WriteBuffer[kFrameBufferBytes];
OVERLAPPED WriteOverlapped;
bool WritePending = false;

HANDLE ReadThread = nullptr;
// Back-off after a failed wait: short at first, longer while waits keep
// failing (Wine cannot watch a pseudo-terminal's modem lines, so there every
// wait fails and the thread polls), back to short when bytes arrive.
constexpr DWORD kFirstBackOffMs = 5;
constexpr DWORD kLongestBackOffMs = 50;
HANDLE StopEvent = nullptr;

void FinishPendingWrite()
{
    if (!WritePending)
        return;
    DWORD written = 0;
    // The write time-out of the port bounds this wait (one second).
    GetOverlappedResult(PortHandle.load(), &WriteOverlapped, &written, TRUE);
    WritePending = false;
}

void WriteToPort(const char* frame, int length)
{
    HANDLE port = PortHandle.load();
    if (port == INVALID_HANDLE_VALUE)
        return;   // no port: the reply never comes, and the status timer says so
    FinishPendingWrite();
    if (length > static_cast<int>(sizeof WriteBuffer))
        length = static_cast<int>(sizeof WriteBuffer);
    memcpy(WriteBuffer, frame, static_cast<size_t>(length));
    HANDLE event = WriteOverlapped.hEvent;
    memset(&WriteOverlapped, 0, sizeof WriteOverlapped);
    WriteOverlapped.hEvent = event;
    ResetEvent(event);
    DWORD written = 0;
    if (WriteFile(port, WriteBuffer, static_cast<DWORD>(length), &written, &WriteOverlapped))
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
bool WaitForIo(HANDLE ioEvent)
{
    HANDLE events[2] = {ioEvent, StopEvent};
    return WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0;
}

DWORD WINAPI SerialReadThread(void*)
{
    SerialLineBuffer lines;
    ResetSerialLines(lines);
    char readBuffer[600];
    OVERLAPPED overlapped = {};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE watched = INVALID_HANDLE_VALUE;
    DWORD backOff = kFirstBackOffMs;

    while (AppRunning) {
        // The port can be replaced by the user-interface thread: always use
        // the current handle.
        HANDLE port = PortHandle.load();
        if (port == INVALID_HANDLE_VALUE) {
            if (WaitForSingleObject(StopEvent, 200) == WAIT_OBJECT_0)
                break;
            continue;
        }
        if (port != watched) {
            SetCommMask(port, EV_RXCHAR);
            ResetSerialLines(lines);
            watched = port;
        }

        // Wait for a received character. A failed wait backs off (the stop
        // request still ends the back-off) and the input queue is looked at
        // either way, so nothing is left waiting.
        DWORD mask = 0;
        bool waited = false;
        ResetEvent(overlapped.hEvent);
        if (WaitCommEvent(port, &mask, &overlapped)) {
            waited = true;
        } else if (GetLastError() == ERROR_IO_PENDING) {
            if (!WaitForIo(overlapped.hEvent)) {
                CancelIo(port);
                break;
            }
            DWORD ignored = 0;
            waited = GetOverlappedResult(port, &overlapped, &ignored, FALSE) != FALSE;
        }
        if (!waited || !(mask & EV_RXCHAR)) {
            ClearPortErrors(port);
            if (WaitForSingleObject(StopEvent, backOff) == WAIT_OBJECT_0)
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
            if (!WaitForIo(overlapped.hEvent)) {
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

    HANDLE port = PortHandle.load();
    if (port != INVALID_HANDLE_VALUE)
        PurgeComm(port, PURGE_RXCLEAR);
    CloseHandle(overlapped.hEvent);
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
    if (!WriteOverlapped.hEvent)
        WriteOverlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    WritePending = false;

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

    PortHandle.store(port);
}

void CloseSerialPort()
{
    HANDLE port = PortHandle.exchange(INVALID_HANDLE_VALUE);
    if (port != INVALID_HANDLE_VALUE) {
        if (WritePending) {
            DWORD written = 0;
            GetOverlappedResult(port, &WriteOverlapped, &written, TRUE);
            WritePending = false;
        }
        CloseHandle(port);
    }
}

bool StartSerialReadThread()
{
    if (!StopEvent)
        StopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ResetEvent(StopEvent);
    ReadThread = CreateThread(nullptr, 0, SerialReadThread, nullptr, 0, nullptr);
    return ReadThread != nullptr;
}

void StopSerialReadThread()
{
    if (!ReadThread)
        return;
    SetEvent(StopEvent);
    WaitForSingleObject(ReadThread, 5000);
    CloseHandle(ReadThread);
    ReadThread = nullptr;
}

void StartSerialLink()
{
    if (PortHandle.load() == INVALID_HANDLE_VALUE)
        OpenSerialPort();
    if (!ReadThread && !StartSerialReadThread())
        ShowError("error creating read thread");
}

void InstallSerialTransport()
{
    ActiveTransport.writeSerial = WriteToPort;
}
