#include "cli/platform.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <fcntl.h>
#include <io.h>

#include "win32/link/serial_line_settings.h"

// Overlapped, as the program's own serial link: a wait for received bytes
// (WaitCommEvent) can then end after a time-out, and a wait that timed out is
// kept for the next call rather than cancelled.
struct SerialPort {
    HANDLE handle;
    HANDLE readEvent;    // the comm event wait and the reads
    HANDLE writeEvent;
    OVERLAPPED wait;     // of the pending WaitCommEvent: it must outlive the call
    DWORD eventMask;     // written by the pending WaitCommEvent
    bool waiting;        // a WaitCommEvent is pending on readEvent
};

namespace {

std::wstring Wide(const std::string& utf8)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring wide(n > 0 ? static_cast<size_t>(n) : 1, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], n);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

std::string ErrorText(const char* what, const std::string& device)
{
    return std::string(what) + " " + device + " (error " + std::to_string(GetLastError()) + ")";
}

} // namespace

SerialPort* OpenSerialPort(const std::string& device, std::string& error)
{
    // COM10 and above are reached only through the device namespace.
    std::string name = device;
    if (name.rfind("\\\\.\\", 0) != 0 && !(name.size() == 4 && name.compare(0, 3, "COM") == 0))
        name = "\\\\.\\" + name;
    HANDLE h = CreateFileW(Wide(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error = ErrorText("cannot open", device);
        return nullptr;
    }
    SetupComm(h, 2000, 2000);
    if (!SetUnitLineSettings(h, SerialHandshake::kHardwareAndXonXoff)) {
        error = ErrorText("cannot set 9600 8E1 on", device);
        CloseHandle(h);
        return nullptr;
    }
    // A read returns at once with what is there; a write gives up after 2 s
    // (flow control holding it).
    COMMTIMEOUTS timeouts;
    memset(&timeouts, 0, sizeof timeouts);
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.WriteTotalTimeoutConstant = 2000;
    if (!SetCommTimeouts(h, &timeouts) || !SetCommMask(h, EV_RXCHAR)) {
        error = ErrorText("cannot set the time-outs of", device);
        CloseHandle(h);
        return nullptr;
    }
    PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR);
    SerialPort* port = new SerialPort;
    port->handle = h;
    port->readEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    port->writeEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    port->eventMask = 0;
    port->waiting = false;
    return port;
}

void CloseSerialPort(SerialPort* port)
{
    if (!port)
        return;
    if (port->waiting) {
        CancelIo(port->handle);
        DWORD ignored = 0;
        GetOverlappedResult(port->handle, &port->wait, &ignored, TRUE);
    }
    CloseHandle(port->handle);
    CloseHandle(port->readEvent);
    CloseHandle(port->writeEvent);
    delete port;
}

bool WriteSerialPort(SerialPort* port, const char* data, int length)
{
    OVERLAPPED overlapped;
    memset(&overlapped, 0, sizeof overlapped);
    overlapped.hEvent = port->writeEvent;
    ResetEvent(port->writeEvent);
    DWORD written = 0;
    if (!WriteFile(port->handle, data, static_cast<DWORD>(length), &written, &overlapped) &&
        (GetLastError() != ERROR_IO_PENDING || !GetOverlappedResult(port->handle, &overlapped, &written, TRUE)))
        return false;
    return written == static_cast<DWORD>(length);
}

namespace {

// What is in the input queue now, without waiting: > 0 bytes, 0 none, -1 failed.
int ReadQueued(SerialPort* port, char* buffer, int size)
{
    DWORD errors = 0;
    COMSTAT status;
    memset(&status, 0, sizeof status);
    if (!ClearCommError(port->handle, &errors, &status))
        return -1;
    if (status.cbInQue == 0)
        return 0;
    OVERLAPPED overlapped;
    memset(&overlapped, 0, sizeof overlapped);
    overlapped.hEvent = port->writeEvent;   // free here: writes do not overlap reads in this loop
    ResetEvent(port->writeEvent);
    const DWORD wanted = status.cbInQue < static_cast<DWORD>(size) ? status.cbInQue : static_cast<DWORD>(size);
    DWORD got = 0;
    if (!ReadFile(port->handle, buffer, wanted, &got, &overlapped) &&
        (GetLastError() != ERROR_IO_PENDING || !GetOverlappedResult(port->handle, &overlapped, &got, TRUE)))
        return -1;
    return static_cast<int>(got);
}

} // namespace

int ReadSerialPort(SerialPort* port, char* buffer, int size, int timeoutMs)
{
    for (;;) {
        const int queued = ReadQueued(port, buffer, size);
        if (queued != 0)
            return queued;
        if (!port->waiting) {
            memset(&port->wait, 0, sizeof port->wait);
            port->wait.hEvent = port->readEvent;
            ResetEvent(port->readEvent);
            if (WaitCommEvent(port->handle, &port->eventMask, &port->wait))
                continue;   // bytes came meanwhile
            if (GetLastError() != ERROR_IO_PENDING)
                return -1;
            port->waiting = true;
            // A byte that came between the look at the queue and the wait
            // may not signal it.
            const int raced = ReadQueued(port, buffer, size);
            if (raced != 0)
                return raced;
        }
        const DWORD wait = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
        if (WaitForSingleObject(port->readEvent, wait) != WAIT_OBJECT_0)
            return 0;
        port->waiting = false;
        timeoutMs = 0;   // the bytes are there now; do not wait again
    }
}

std::vector<std::string> Utf8Arguments(int argc, char** argv)
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string utf8(bytes > 0 ? static_cast<size_t>(bytes) : 1, '\0');
        if (bytes > 0)
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &utf8[0], bytes, nullptr, nullptr);
        utf8.resize(utf8.size() - 1);
        arguments.push_back(utf8);
    }
    LocalFree(wide);
    return arguments;
}

void PrepareProcess()
{
    SetConsoleOutputCP(CP_UTF8);
}

bool ProgressTerminal()
{
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (!_isatty(_fileno(stderr)) || !GetConsoleMode(err, &mode))
        return false;
    return SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

void UseBinaryStdout()
{
    fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

FILE* OpenUtf8File(const std::string& path, const char* mode)
{
    return _wfopen(Wide(path).c_str(), Wide(mode).c_str());
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

std::string SystemTimeText(const SYSTEMTIME& t, bool withTime)
{
    char text[32];
    if (withTime)
        snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
    else
        snprintf(text, sizeof text, "%04u-%02u-%02u", t.wYear, t.wMonth, t.wDay);
    return text;
}

} // namespace

std::string FileModifiedText(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA info;
    SYSTEMTIME utc, local;
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &info) ||
        !FileTimeToSystemTime(&info.ftLastWriteTime, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return "";
    return SystemTimeText(local, true);
}

std::string TodayText()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return SystemTimeText(now, false);
}
