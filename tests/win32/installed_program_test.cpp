// The installed program as a user meets it, run by the release check
// (scripts/release.sh) in a Wine prefix the installer has just set up:
// KVR_SHORTCUT is the Windows path of the Start-menu shortcut, KVR_VERSION
// the release's version. The shortcut is read with the shell's own
// IShellLink, the program is started as the shortcut starts it and driven
// through window messages as a user's clicks would.
#include <windows.h>

#include <shlobj.h>
#include <shobjidl.h>
#include <winver.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "app/main_window.h"
#include "app/ui_text.h"
#include "resources/resource.h"
#include "win_test_support.h"

namespace {

std::string Narrow(const std::wstring& text)
{
    return Utf8FromWide(text.c_str());
}

std::wstring Setting(const char* name)
{
    const char* value = getenv(name);
    return value ? Wide(value) : std::wstring();
}

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(towlower(c));
    return text;
}

struct Shortcut {
    std::wstring target;
    std::wstring folder;   // the working folder
};

bool ReadShortcut(const std::wstring& path, Shortcut& shortcut)
{
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* file = nullptr;
    bool read = false;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t target[MAX_PATH] = L"", folder[MAX_PATH] = L"";
        read = SUCCEEDED(file->Load(path.c_str(), STGM_READ)) &&
               SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) &&
               SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH));
        shortcut = {target, folder};
        file->Release();
    }
    link->Release();
    return read;
}

std::wstring KnownFolder(REFKNOWNFOLDERID id)
{
    wchar_t* path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)))
        folder = path;
    CoTaskMemFree(path);
    return folder;
}

// The ProductVersion of a program's version resource.
std::wstring ProductVersion(const std::wstring& program)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
    if (size == 0)
        return L"(no version resource)";
    std::string data(size, '\0');
    void* value = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoW(program.c_str(), 0, size, &data[0]) ||
        !VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\ProductVersion", &value, &length))
        return L"(no ProductVersion)";
    return std::wstring(static_cast<const wchar_t*>(value));
}

std::string ReadWhole(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The program started as its shortcut starts it; ended (if still running)
// when this goes.
class Started {
public:
    Started(const Shortcut& shortcut)
    {
        std::wstring command = L"\"" + shortcut.target + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, shortcut.folder.c_str(),
                            &startup, &process_))
            return;
        window = WaitForWindow(L"KVR2840E", nullptr, 15000, process_.dwProcessId);
    }
    ~Started()
    {
        if (process_.hProcess) {
            if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0)
                TerminateProcess(process_.hProcess, 1);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
    }
    DWORD id() const { return process_.dwProcessId; }
    // Closes the main window as the user would; true when the program ended
    // with exit code 0.
    bool Close()
    {
        PostMessageW(window, WM_CLOSE, 0, 0);
        DWORD code = 1;
        return WaitForSingleObject(process_.hProcess, 10000) == WAIT_OBJECT_0 &&
               GetExitCodeProcess(process_.hProcess, &code) && code == 0;
    }

    HWND window = nullptr;

private:
    PROCESS_INFORMATION process_ = {};
};

// Answers every message box of the program (the serial port of a fresh
// install may not open here) that comes within `milliseconds` of the last.
void AnswerBoxes(const Started& program, int milliseconds)
{
    while (HWND box = WaitForWindow(L"#32770", nullptr, milliseconds, program.id())) {
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        WaitUntilGone(box);
    }
}

bool Grayed(HWND window, UINT id)
{
    return (static_cast<UINT>(SendMessageW(window, WM_QUERY_MENU_STATE, id, 0)) & MF_GRAYED) != 0;
}

class InstalledProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_FALSE(Setting("KVR_SHORTCUT").empty()) << "KVR_SHORTCUT is not set";
        ASSERT_TRUE(ReadShortcut(Setting("KVR_SHORTCUT"), shortcut)) << Narrow(Setting("KVR_SHORTCUT"));
    }
    void TearDown() override { CoUninitialize(); }

    Shortcut shortcut;
};

} // namespace

TEST_F(InstalledProgram, EveryProgramCarriesTheReleaseVersion)
{
    const std::wstring folder = shortcut.target.substr(0, shortcut.target.find_last_of(L'\\') + 1);
    for (const wchar_t* name : {L"KVR2840E.exe", L"kvr2840e-cli.exe", L"kvr2840e-sim.exe"})
        EXPECT_EQ(Narrow(ProductVersion(folder + name)), Narrow(Setting("KVR_VERSION"))) << Narrow(name);
}

TEST_F(InstalledProgram, ShortcutStartsItInAWritableFolderOutsideProgramFiles)
{
    EXPECT_EQ(Lower(shortcut.target), Lower(KnownFolder(FOLDERID_ProgramFiles) + L"\\KVR2840E\\KVR2840E.exe"));
    ASSERT_FALSE(shortcut.folder.empty());
    EXPECT_NE(Lower(shortcut.folder).rfind(Lower(KnownFolder(FOLDERID_ProgramFiles)), 0), 0u)
        << Narrow(shortcut.folder);
    EXPECT_EQ(Lower(shortcut.folder), Lower(KnownFolder(FOLDERID_PublicDocuments) + L"\\KVR2840E"));
    const std::wstring probe = shortcut.folder + L"\\write-probe.tmp";
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot write in " << Narrow(shortcut.folder);
    CloseHandle(file);
    DeleteFileW(probe.c_str());
}

// A fresh install has no configuration file: the program starts on the
// serial link (its port may not open here: that box is answered), the user
// switches the interface to TCP/IP, closes the program, and finds it so at
// the next start, kept in KVR2840E.ini in the shortcut's folder.
TEST_F(InstalledProgram, KeepsTheLinkSetInItsDialogAcrossAStart)
{
    const std::wstring ini = shortcut.folder + L"\\KVR2840E.ini";
    ASSERT_EQ(GetFileAttributesW(ini.c_str()), INVALID_FILE_ATTRIBUTES) << "no KVR2840E.ini before the first start";
    {
        Started program(shortcut);
        ASSERT_NE(program.window, nullptr);
        AnswerBoxes(program, 3000);
        EXPECT_FALSE(Grayed(program.window, IDM_SERIAL_SETTINGS));
        PostMessageW(program.window, WM_COMMAND, IDM_INTERFACE, 0);
        // The interface dialog is the one with its list; a box of the port
        // that came late is answered on the way.
        HWND dialog = nullptr;
        while ((dialog = WaitForWindow(L"#32770", nullptr, 10000, program.id())) &&
               !GetDlgItem(dialog, IDC_INTERFACE_LIST)) {
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            WaitUntilGone(dialog);
        }
        ASSERT_NE(dialog, nullptr) << DescribeWindows(program.id());
        Pick(dialog, IDC_INTERFACE_LIST, 1);
        Click(dialog, IDC_INTERFACE_OK);
        WaitUntilGone(dialog);
        AnswerBoxes(program, 500);   // a port box that came late
        EXPECT_TRUE(program.Close());
    }
    EXPECT_NE(ReadWhole(ini).find("interface_set=1"), std::string::npos) << ReadWhole(ini);
    {
        Started program(shortcut);
        ASSERT_NE(program.window, nullptr);
        EXPECT_TRUE(Grayed(program.window, IDM_SERIAL_SETTINGS));
        EXPECT_FALSE(Grayed(program.window, IDM_TCP_SETTINGS));
        EXPECT_TRUE(program.Close());
    }
}
