// Helpers of the Wine tests: a working folder of their own, waiting, a
// watcher that finds a window another part of the program opened and
// answers it, a user's actions on a dialog, recorded message boxes, and what
// the Wine scenario runner (run_wine_scenario.sh) passes to a scenario.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

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

// Asks `done` every `stepMs` until it says true (true) or `milliseconds` have
// passed (false).
bool WaitUntil(const std::function<bool()>& done, int milliseconds, int stepMs = 10);

// The same while this thread's window messages are dispatched between the
// questions (what a window of this thread needs to see its socket events).
bool PumpUntil(const std::function<bool()>& done, int milliseconds);

// Waits up to 2 s for `window` to be destroyed.
void WaitUntilGone(HWND window);

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

// Runs the dialog `run` (owned by `owner`) on this thread while `act` answers
// it from a watcher thread; `act` must end it. True when the watcher found it.
bool DriveDialog(void (*run)(HWND), HWND owner, const std::function<void(HWND)>& act, int milliseconds = 10000);

// A user's actions on a dialog, sent so that the dialog has handled them on
// return: a pick from a combo box's list (the selection moves, then the list
// tells its dialog), and a click of a button.
void Pick(HWND dialog, int id, int line);
void Click(HWND dialog, int id);

// The text of a dialog's control, and of a window's title.
std::wstring Text(HWND dialog, int id);
std::wstring Title(HWND window);

// Types a file name into a common file dialog and presses its OK button.
void AnswerFileDialog(HWND dialog, const std::wstring& name);

std::wstring Wide(const char* utf8);

// What the process holds: GDI and USER objects, kernel handles. A soak
// compares them before and after its rounds. Under Wine, which counts no GDI
// objects, USER objects are the process's windows and handles its open
// handle values.
struct ProcessResources {
    DWORD gdiObjects;
    DWORD userObjects;
    DWORD handles;
};
ProcessResources CurrentResources();
// What the process holds now against `start`, taken after a soak's first
// round: a leak of one a round would be a hundred more; a few allow for the
// system's own caches.
void ExpectNothingLeftBehind(const ProcessResources& start);

// The faults the scenario's simulator plays (its options in
// KVR_TEST_SIM_OPTIONS): every N-th command answered E3 (0 for none), no
// answer at all, answers in pieces.
struct SimulatorFaults {
    int errorEvery = 0;
    bool noReply = false;
    bool split = false;
};
SimulatorFaults ScenarioFaults();

// `text` written `n` times over.
inline std::string Repeat(const std::string& text, int n)
{
    std::string all;
    for (int i = 0; i < n; ++i)
        all += text;
    return all;
}

// Message boxes recorded instead of shown.
struct RecordedMessage {
    std::string text;
    std::string caption;
    int icon;
};
extern std::vector<RecordedMessage> RecordedMessages;
// Called with each message as it is recorded, on the thread that shows it:
// a test looks at the program's state at the moment of a box. Cleared by
// RecordMessageBoxes.
extern void (*WhenRecorded)(const RecordedMessage& message);
// From now on every message box is recorded (a Yes/No box is answered No).
void RecordMessageBoxes();
// A message box with this text was recorded.
bool WasShown(const char* text);

// Message boxes are recorded while it lives (a fixture's member); shown again
// after.
class MessageBoxRecording {
public:
    MessageBoxRecording();
    ~MessageBoxRecording();
    MessageBoxRecording(const MessageBoxRecording&) = delete;
    MessageBoxRecording& operator=(const MessageBoxRecording&) = delete;
};

// The value the Wine scenario runner passed in the environment variable
// `name`. A failure when it is missing (a test run outside its scenario
// fails rather than skips): ASSERT_TRUE(ScenarioSetting("KVR_TEST_PORT", port)).
::testing::AssertionResult ScenarioSetting(const char* name, std::string& value);

// The program's state as a scenario against the simulator begins: every
// global at its start value, message boxes recorded, the program running.
void StartLinkScenario();

// The lines the simulator logged (its --log file, named by KVR_TEST_SIM_LOG),
// without their line ends.
std::vector<std::string> SimulatorLog();
