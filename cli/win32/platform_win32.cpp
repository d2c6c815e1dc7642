#include "cli/platform.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <io.h>

struct SerialPort {
    HANDLE handle;
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
    HANDLE h = CreateFileW(Wide(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error = ErrorText("cannot open", device);
        return nullptr;
    }
    DCB dcb;
    memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(h, &dcb)) {
        error = ErrorText("cannot read the line settings of", device);
        CloseHandle(h);
        return nullptr;
    }
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
    SetupComm(h, 2000, 2000);
    if (!SetCommState(h, &dcb)) {
        error = ErrorText("cannot set 9600 8E1 on", device);
        CloseHandle(h);
        return nullptr;
    }
    PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR);
    return new SerialPort{h};
}

void CloseSerialPort(SerialPort* port)
{
    if (port) {
        CloseHandle(port->handle);
        delete port;
    }
}

bool WriteSerialPort(SerialPort* port, const char* data, int length)
{
    COMMTIMEOUTS timeouts;
    memset(&timeouts, 0, sizeof timeouts);
    GetCommTimeouts(port->handle, &timeouts);
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 2000;
    SetCommTimeouts(port->handle, &timeouts);
    DWORD written = 0;
    return WriteFile(port->handle, data, static_cast<DWORD>(length), &written, nullptr) &&
           written == static_cast<DWORD>(length);
}

int ReadSerialPort(SerialPort* port, char* buffer, int size, int timeoutMs)
{
    // Returns as soon as a byte is there, or after the time-out with none.
    COMMTIMEOUTS timeouts;
    memset(&timeouts, 0, sizeof timeouts);
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = timeoutMs < 1 ? 1 : static_cast<DWORD>(timeoutMs);
    timeouts.WriteTotalTimeoutConstant = 2000;
    if (!SetCommTimeouts(port->handle, &timeouts))
        return -1;
    DWORD got = 0;
    if (!ReadFile(port->handle, buffer, static_cast<DWORD>(size), &got, nullptr)) {
        DWORD errors = 0;
        ClearCommError(port->handle, &errors, nullptr);
        return errors != 0 ? 0 : -1;
    }
    return static_cast<int>(got);
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

FILE* OpenUtf8File(const std::string& path, const char* mode)
{
    return _wfopen(Wide(path).c_str(), Wide(mode).c_str());
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ReplaceFileWith(const std::string& temporary, const std::string& target)
{
    return MoveFileExW(Wide(temporary).c_str(), Wide(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void RemoveFileAt(const std::string& path)
{
    DeleteFileW(Wide(path).c_str());
}

int CurrentProcessId()
{
    return static_cast<int>(GetCurrentProcessId());
}
