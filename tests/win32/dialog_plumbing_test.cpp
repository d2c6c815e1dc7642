// The control bindings walked over real controls, and the modal runner's
// bookkeeping of the open dialog.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/main_window.h"
#include "common/controls.h"
#include "common/dialog.h"
#include "common/dpi_scaling.h"
#include "dialogs/routing/io_status.h"
#include "link/link_state.h"
#include "files/settings_file.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "protocol/reply_parser.h"
#include "resources/resource.h"
#include "win_test_support.h"

namespace {

enum { kList = 101, kCheck = 102, kEdit = 103, kAddress = 104 };

int Choice = 1;
int Checked = 1;
char Typed[7] = "48";
int Octets[4] = {192, 168, 0, 10};

const wchar_t* const kItems[] = {L"A", L"B", L"C", nullptr};

const ControlField kFields[] = {
    {.id = kList, .items = kItems, .get = [] { return Choice; }, .set = [](int v) { Choice = v; }},
    {.id = kCheck, .kind = kCheckBox, .get = [] { return Checked; }, .set = [](int v) { Checked = v; }},
    {.id = kEdit, .kind = kEditText, .text = Typed, .textBytes = sizeof Typed},
    {.id = kAddress, .kind = kIpAddress, .octets = Octets},
};

HWND Child(HWND parent, const wchar_t* className, DWORD style, int id)
{
    return CreateWindowExW(0, className, L"", WS_CHILD | style, 0, 0, 200, 100, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

// What a TCP reply of "GO" comes to for a command now outstanding.
int StatusOfGo()
{
    ResetTransaction();
    TransactionState.busy = 1;
    TransactionState.replyWait = 1;
    EXPECT_EQ(ParseDialogReply(DeviceModel, "GO\r\n", 4), kDialogReplyDone);
    return TransactionState.replyStatus;
}

} // namespace

TEST(ControlBindings, FillShowsAndStoreTakesEveryKind)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_INTERNET_CLASSES};
    InitCommonControlsEx(&controls);
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 300, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    Child(parent, L"COMBOBOX", CBS_DROPDOWNLIST, kList);
    Child(parent, L"BUTTON", BS_AUTOCHECKBOX, kCheck);
    HWND edit = Child(parent, L"EDIT", ES_AUTOHSCROLL, kEdit);
    ASSERT_NE(Child(parent, WC_IPADDRESSW, 0, kAddress), nullptr);

    FillControls(parent, kFields);
    EXPECT_EQ(SendDlgItemMessageW(parent, kList, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(ComboSelection(parent, kList), 1);
    EXPECT_EQ(IsDlgButtonChecked(parent, kCheck), BST_CHECKED);
    EXPECT_EQ(Text(parent, kEdit), L"48");
    DWORD packed = 0;
    SendDlgItemMessageW(parent, kAddress, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&packed));
    EXPECT_EQ(packed, static_cast<DWORD>(MAKEIPADDRESS(192, 168, 0, 10)));

    SelectComboItem(parent, kList, 2);
    CheckDlgButton(parent, kCheck, BST_UNCHECKED);
    // Longer than the field: cut at its size, never past it.
    SetWindowTextW(edit, L"12345678");
    SendDlgItemMessageW(parent, kAddress, IPM_SETADDRESS, 0, MAKEIPADDRESS(10, 0, 0, 255));
    StoreControls(parent, kFields);
    EXPECT_EQ(Choice, 2);
    EXPECT_EQ(Checked, 0);
    EXPECT_STREQ(Typed, "123456");
    EXPECT_EQ(Octets[0], 10);
    EXPECT_EQ(Octets[3], 255);

    // A list without a selection, or a value outside it, leaves the field alone.
    SelectComboItem(parent, kList, 7);
    EXPECT_EQ(ComboSelection(parent, kList), -1);
    StoreControls(parent, kFields);
    EXPECT_EQ(Choice, 2);
    DestroyWindow(parent);
}

TEST(ModalRunner, RecordsTheOpenDialogAndClearsItOnEveryEnd)
{
    RecordMessageBoxes();
    snprintf(CurrentFilePath, kFilePathBytes, "%s", "C:\\data\\site.dat");
    static HWND seen = nullptr;
    static std::wstring caption;
    const ModalDialog dialog = {
        .templateId = IDD_SLAVE_ADDRESS,
        .title = L"試験",
        .handlers = {.start = [](HWND window) {
            seen = OpenDialog;
            caption = Title(window);
            PostMessageW(window, WM_CLOSE, 0, 0);
        }},
    };
    EXPECT_EQ(RunModalDialog(nullptr, dialog), IDCANCEL);
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(caption, L"試験  C:\\data\\site.dat");
    EXPECT_EQ(OpenDialog, nullptr);

    const ModalDialog withoutPath = {
        .templateId = IDD_SLAVE_ADDRESS,
        .title = L"試験",
        .caption = kCaptionWithoutPath,
        .okId = IDC_SLAVE_ADDRESS_CLOSE,
        .handlers = {.start = [](HWND window) {
            caption = Title(window);
            PostMessageW(window, WM_COMMAND, IDC_SLAVE_ADDRESS_CLOSE, 0);
        }},
    };
    EXPECT_EQ(RunModalDialog(nullptr, withoutPath), IDOK);
    EXPECT_EQ(caption, L"試験  ");
    EXPECT_EQ(OpenDialog, nullptr);
    CurrentFilePath[0] = '\0';
}

// Fixed 96-DPI positions land where the grown dialog has them, and the DC is
// as it was once the painter is done.
TEST(DpiScalingTest, PaintsAndHitTestsIn96DpiPixels)
{
    EXPECT_EQ(ScaledForDpi(20, 144), 30);
    EXPECT_EQ(UnscaledForDpi(45, 144), 30);
    EXPECT_EQ(ScaledForDpi(489, 96), 489);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(64, 64, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, 64, 64, WHITENESS);
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    {
        const DpiScaling scaling(dc, 192);
        PatBlt(dc, 10, 10, 10, 10, BLACKNESS);   // 20..40 on the device
    }
    EXPECT_EQ(GetPixel(dc, 15, 15), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 35, 35), RGB(0, 0, 0));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    PatBlt(dc, 50, 50, 4, 4, BLACKNESS);   // no transform left behind
    EXPECT_EQ(GetPixel(dc, 52, 52), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 56, 56), RGB(255, 255, 255));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// A piece of a TCP reply belongs to a command of the dialog it came in: it
// is not joined to a reply in the next dialog, nor in the one that follows.
TEST(ModalRunner, APieceOfATcpReplyStaysInItsDialog)
{
    RecordMessageBoxes();
    static int statusInDialog = -1;
    ASSERT_EQ(ParseDialogReply(DeviceModel, "OP0", 3), kDialogReplyPartial);
    const ModalDialog dialog = {
        .templateId = IDD_SLAVE_ADDRESS,
        .title = L"試験",
        .handlers = {.start = [](HWND window) {
            statusInDialog = StatusOfGo();
            ParseDialogReply(DeviceModel, "OP0", 3);
            PostMessageW(window, WM_CLOSE, 0, 0);
        }},
    };
    RunModalDialog(nullptr, dialog);
    EXPECT_EQ(statusInDialog, kReplyGood);
    EXPECT_EQ(StatusOfGo(), kReplyGood);
    ResetTransaction();
}

// The status window's flag speaks of a window that exists: when the window
// cannot be made, the flag is never left set, so that an error reported
// later cannot close some other dialog in its place.
TEST(IoStatusWindowFlag, SetOnlyWhileTheWindowIsUp)
{
    HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    DestroyWindow(gone);
    IoStatusWindowOpen = 0;
    RunIoStatusWindow(gone);   // no owner to make the window under
    EXPECT_EQ(IoStatusWindowOpen, 0);
    EXPECT_EQ(OpenDialog, nullptr);

    static int openWhileUp = -1;
    WindowWatcher watcher(L"#32770", L"入出力の状態  ", [](HWND window) {
        openWhileUp = IoStatusWindowOpen;
        PostMessageW(window, WM_CLOSE, 0, 0);
    });
    RunIoStatusWindow(nullptr);
    EXPECT_TRUE(watcher.found());
    EXPECT_EQ(openWhileUp, 1);
    EXPECT_EQ(IoStatusWindowOpen, 0);
    ResetTransaction();
}
