#include "win_test_support.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "app/ui_text.h"
#include "link/link_state.h"
#include "link/message_ops.h"
#include "link/transaction.h"
#include "protocol/device_model.h"

ScratchFolder::ScratchFolder()
{
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    previous_ = current;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    wchar_t name[MAX_PATH];
    swprintf(name, MAX_PATH, L"%lskvr_win_test_%lu_%d", temp, GetCurrentProcessId(), ++counter);
    path_ = name;
    CreateDirectoryW(path_.c_str(), nullptr);
    SetCurrentDirectoryW(path_.c_str());
}

static void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring full = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

ScratchFolder::~ScratchFolder()
{
    SetCurrentDirectoryW(previous_.c_str());
    RemoveTree(path_);
}

namespace {

struct Search {
    const wchar_t* className;
    const wchar_t* title;
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam)
{
    Search* search = reinterpret_cast<Search*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->processId || !IsWindowVisible(window))
        return TRUE;
    wchar_t className[64];
    wchar_t title[256];
    GetClassNameW(window, className, 64);
    GetWindowTextW(window, title, 256);
    if (wcscmp(className, search->className) == 0 && (!search->title || wcscmp(title, search->title) == 0)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

bool WaitUntil(const std::function<bool()>& done, int milliseconds, int stepMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (done())
            return true;
        if (static_cast<int>(GetTickCount() - start) > milliseconds)
            return false;
        Sleep(static_cast<DWORD>(stepMs));
    }
}

bool PumpUntil(const std::function<bool()>& done, int milliseconds)
{
    return WaitUntil(
        [&] {
            if (done())
                return true;
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            return false;
        },
        milliseconds, 5);
}

void WaitUntilGone(HWND window)
{
    WaitUntil([window] { return !IsWindow(window); }, 2000, 20);
}

HWND WaitForWindow(const wchar_t* className, const wchar_t* title, int milliseconds, DWORD processId)
{
    Search search = {className, title, processId ? processId : GetCurrentProcessId(), nullptr};
    WaitUntil(
        [&] {
            EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        milliseconds, 50);
    return search.found;
}

static BOOL CALLBACK DescribeWindow(HWND window, LPARAM lParam)
{
    auto* list = reinterpret_cast<std::pair<DWORD, std::string>*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != list->first)
        return TRUE;
    wchar_t className[64];
    wchar_t title[256];
    GetClassNameW(window, className, 64);
    GetWindowTextW(window, title, 256);
    list->second += Utf8FromWide(className) + " '" + Utf8FromWide(title) + "'" +
                    (IsWindowVisible(window) ? " visible" : " hidden") + "\n";
    return TRUE;
}

std::string DescribeWindows(DWORD processId)
{
    std::pair<DWORD, std::string> list(processId, "");
    EnumWindows(DescribeWindow, reinterpret_cast<LPARAM>(&list));
    return list.second.empty() ? "no windows\n" : list.second;
}

std::wstring MessageBoxText(HWND box)
{
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    return text;
}

WindowWatcher::WindowWatcher(const wchar_t* className, const wchar_t* title, std::function<void(HWND)> act,
                             int milliseconds)
{
    std::wstring cls = className;
    std::wstring ttl = title ? title : L"";
    const bool anyTitle = title == nullptr;
    thread_ = std::thread([this, cls, ttl, anyTitle, act, milliseconds] {
        HWND window = WaitForWindow(cls.c_str(), anyTitle ? nullptr : ttl.c_str(), milliseconds);
        if (window) {
            found_ = true;
            act(window);
        }
    });
}

WindowWatcher::~WindowWatcher()
{
    thread_.join();
}

bool DriveDialog(void (*run)(HWND), HWND owner, const std::function<void(HWND)>& act, int milliseconds)
{
    WindowWatcher watcher(L"#32770", nullptr, act, milliseconds);
    run(owner);
    return watcher.found();
}

void Pick(HWND dialog, int id, int line)
{
    SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(line), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Click(HWND dialog, int id)
{
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::wstring Text(HWND dialog, int id)
{
    wchar_t text[64] = {};
    GetDlgItemTextW(dialog, id, text, 64);
    return text;
}

std::wstring Title(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

void AnswerFileDialog(HWND dialog, const std::wstring& name)
{
    // The file name field: the combo box of the Explorer-style dialog, or
    // the plain edit of the old style.
    HWND field = GetDlgItem(dialog, 0x47C);
    if (!field)
        field = GetDlgItem(dialog, 0x480);
    SetWindowTextW(field, name.c_str());
    Sleep(100);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

std::wstring Wide(const char* utf8)
{
    return WideFromUtf8(utf8);
}

std::vector<RecordedMessage> RecordedMessages;
void (*WhenRecorded)(const RecordedMessage& message) = nullptr;

static int Record(const MessageRequest& request)
{
    RecordedMessages.push_back({request.text, request.caption, request.icon});
    if (WhenRecorded)
        WhenRecorded(RecordedMessages.back());
    return request.buttons == kButtonsYesNo ? kAnswerNo : kAnswerOk;
}

void RecordMessageBoxes()
{
    RecordedMessages.clear();
    WhenRecorded = nullptr;
    MessageSink = Record;
}

MessageBoxRecording::MessageBoxRecording()
{
    RecordMessageBoxes();
}

MessageBoxRecording::~MessageBoxRecording()
{
    MessageSink = nullptr;
}

::testing::AssertionResult ScenarioSetting(const char* name, std::string& value)
{
    const char* text = getenv(name);
    if (!text)
        return ::testing::AssertionFailure()
               << name << " is not set: this case runs as a Wine scenario, which sets it "
               << "(ctest --preset mingw; kvr_add_wine_scenario in tests/win32/CMakeLists.txt)";
    value = text;
    return ::testing::AssertionSuccess();
}

void StartLinkScenario()
{
    ResetProgramState();   // this also unhooks the message sink: record again
    RecordMessageBoxes();
    AppRunning = 1;
}

std::vector<std::string> SimulatorLog()
{
    std::vector<std::string> lines;
    std::string path;
    EXPECT_TRUE(ScenarioSetting("KVR_TEST_SIM_LOG", path));
    FILE* file = path.empty() ? nullptr : fopen(path.c_str(), "rb");
    if (!file) {
        // The simulator makes its log as it starts: one that cannot be read
        // is a broken scenario, not a unit that received nothing.
        ADD_FAILURE() << "the simulator's log '" << path << "' cannot be read";
        return lines;
    }
    char line[700];
    while (fgets(line, sizeof line, file)) {
        std::string text = line;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        lines.push_back(text);
    }
    fclose(file);
    return lines;
}

bool WasShown(const char* text)
{
    for (const RecordedMessage& m : RecordedMessages)
        if (m.text == text)
            return true;
    return false;
}

namespace {

// Wine answers GetGuiResources and GetProcessHandleCount with 0, so there
// the windows of this process and its open handle values are counted.
BOOL CALLBACK CountWindow(HWND window, LPARAM count)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) {
        ++*reinterpret_cast<DWORD*>(count);
        EnumChildWindows(window, CountWindow, count);
    }
    return TRUE;
}

DWORD OpenHandleValues()
{
    DWORD count = 0;
    for (uintptr_t value = 4; value < (1u << 16); value += 4) {
        DWORD flags;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    }
    return count;
}

} // namespace

ProcessResources CurrentResources()
{
    ProcessResources r = {GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
                          GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), 0};
    if (r.userObjects == 0)
        EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&r.userObjects));
    if (!GetProcessHandleCount(GetCurrentProcess(), &r.handles) || r.handles == 0)
        r.handles = OpenHandleValues();
    return r;
}

void ExpectNothingLeftBehind(const ProcessResources& start)
{
    const ProcessResources end = CurrentResources();
    printf("GDI %lu -> %lu, USER %lu -> %lu, handles %lu -> %lu\n", start.gdiObjects, end.gdiObjects,
           start.userObjects, end.userObjects, start.handles, end.handles);
    EXPECT_LE(end.gdiObjects, start.gdiObjects + 3);
    EXPECT_LE(end.userObjects, start.userObjects + 3);
    EXPECT_LE(end.handles, start.handles + 3);
}

SimulatorFaults ScenarioFaults()
{
    SimulatorFaults faults;
    const char* text = getenv("KVR_TEST_SIM_OPTIONS");
    std::istringstream words(text ? text : "");
    std::string word;
    while (words >> word) {
        if (word == "--error-every")
            words >> faults.errorEvery;
        faults.noReply = faults.noReply || word == "--no-reply";
        faults.split = faults.split || word == "--split";
    }
    return faults;
}
