// Helpers of the Wine tests: a working folder of their own, and a watcher
// that finds a window another part of the program opened and answers it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

// Runs the test in a fresh, empty folder (so ".\KVR2840E.ini" is its own) and
// goes back when it ends.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::wstring& path() const { return path_; }

private:
    std::wstring previous_;
    std::wstring path_;
};

// Waits up to `milliseconds` for a visible top-level window of `className`
// whose title is `title` (any title when null) and that belongs to the process
// `processId` (this process when 0).
HWND WaitForWindow(const wchar_t* className, const wchar_t* title, int milliseconds, DWORD processId = 0);

// "class 'title' visible" for every top-level window of a process, for failure messages.
std::string DescribeWindows(DWORD processId);

// The text of a message box (its static with id 0xFFFF).
std::wstring MessageBoxText(HWND box);

// On a thread of its own: waits for a window, lets `act` answer it. Joined by
// the destructor.
class WindowWatcher {
public:
    WindowWatcher(const wchar_t* className, const wchar_t* title, std::function<void(HWND)> act,
                  int milliseconds = 10000);
    ~WindowWatcher();
    bool found() const { return found_; }

private:
    std::thread thread_;
    bool found_ = false;
};

std::wstring Wide(const char* utf8);

// Message boxes recorded instead of shown.
struct RecordedMessage {
    std::string text;
    std::string caption;
    int icon;
};
extern std::vector<RecordedMessage> RecordedMessages;
void RecordMessageBoxes();

// The lines the simulator logged (its --log file, named by KVR_TEST_SIM_LOG),
// without their line ends.
std::vector<std::string> SimulatorLog();
