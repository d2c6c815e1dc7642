#include "win_test_support.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/ui_text.h"

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

HWND WaitForWindow(const wchar_t* className, const wchar_t* title, int milliseconds, DWORD processId)
{
    const DWORD start = GetTickCount();
    for (;;) {
        Search search = {className, title, processId ? processId : GetCurrentProcessId(), nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        if (static_cast<int>(GetTickCount() - start) > milliseconds)
            return nullptr;
        Sleep(50);
    }
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

std::wstring Wide(const char* utf8)
{
    return WideFromUtf8(utf8);
}

#include "link/message_ops.h"

std::vector<RecordedMessage> RecordedMessages;

static int Record(const MessageRequest& request)
{
    RecordedMessages.push_back({request.text, request.caption, request.icon});
    return request.buttons == kButtonsYesNo ? kAnswerNo : kAnswerOk;
}

void RecordMessageBoxes()
{
    RecordedMessages.clear();
    MessageSink = Record;
}

std::vector<std::string> SimulatorLog()
{
    std::vector<std::string> lines;
    const char* path = getenv("KVR_TEST_SIM_LOG");
    FILE* file = path ? fopen(path, "rb") : nullptr;
    if (!file)
        return lines;
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

