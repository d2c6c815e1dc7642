#include "dialogs/unit/unit_network.h"

#include <commctrl.h>

#include "app/config_file.h"
#include "app/config_values.h"
#include "app/main_commands.h"
#include "app/ui_text.h"
#include "common/sequence_display.h"
#include "dialogs/unit/unit_form.h"
#include "dialogs/unit/unit_forms.h"
#include "files/settings_file.h"
#include "link/message_ops.h"
#include "protocol/device_model.h"
#include "resources/resource.h"

namespace {

UnitNetworkRecord& Net()
{
    return DeviceModel.UnitNetwork;
}

void FillTimeRegisterList(HWND dialog, int id)
{
    for (const char* item : TimeRegisterItems)
        AddComboItem(dialog, id, WideFromUtf8(item).c_str());
}

const ControlField kFields[] = {
    {.id = IDC_UNIT_IP_ADDRESS, .kind = kIpAddress, .octets = DeviceModel.UnitNetwork.ipAddress},
    {.id = IDC_UNIT_GATEWAY_ADDRESS, .kind = kIpAddress, .octets = DeviceModel.UnitNetwork.gatewayAddress},
    {.id = IDC_UNIT_ACTIVE_ADDRESS, .kind = kIpAddress, .octets = DeviceModel.UnitNetwork.activeAddress},
    {.id = IDC_UNIT_SUBNET_MASK, .kind = kIpAddress, .octets = DeviceModel.UnitNetwork.subnetMask},
    {.id = IDC_UNIT_CONNECTION_LIST, .items = kOffOnItems,
     .get = [] { return Net().connectionTry; }, .set = [](int value) { Net().connectionTry = value; }},
    {.id = IDC_UNIT_KEEP_ALIVE_LIST, .items = kOffOnItems,
     .get = [] { return Net().keepAlive; }, .set = [](int value) { Net().keepAlive = value; }},
    {.id = IDC_UNIT_TIME_LIST, .fill = FillTimeRegisterList,
     .get = [] { return Net().timeRegister; }, .set = [](int value) { Net().timeRegister = value; }},
    {.id = IDC_UNIT_SOURCE_PORT, .kind = kEditText, .text = DeviceModel.UnitNetwork.sourcePortText,
     .textBytes = sizeof DeviceModel.UnitNetwork.sourcePortText},
    {.id = IDC_UNIT_DESTINATION_PORT, .kind = kEditText, .text = DeviceModel.UnitNetwork.destinationPortText,
     .textBytes = sizeof DeviceModel.UnitNetwork.destinationPortText},
};

constexpr FormButton kButtons[] = {
    {IDC_UNIT_IP_SET, kUnitIpAddressRow},
    {IDC_UNIT_GATEWAY_SET, kUnitGatewayAddressRow},
    {IDC_UNIT_ACTIVE_SET, kUnitActiveAddressRow},
    {IDC_UNIT_SUBNET_SET, kUnitSubnetMaskRow},
    {IDC_UNIT_CONNECTION_SET, kUnitConnectionTryRow},
    {IDC_UNIT_KEEP_ALIVE_SET, kUnitKeepAliveRow},
    {IDC_UNIT_TIME_SET, kUnitTimeRegisterRow},
    {IDC_UNIT_SOURCE_PORT_SET, kUnitSourcePortRow},
    {IDC_UNIT_DESTINATION_SET, kUnitDestinationPortRow},
};

const FormControls kForm = {
    .fields = kFields,
    .buttons = kButtons,
    .sendRow = [](int row) { return SendUnitNetworkRow(static_cast<UnitNetworkRow>(row)); },
};

// While the read runs nothing can be changed or sent, and it cannot be
// cancelled: what it reads replaces every value shown.
constexpr int kLocks[] = {
    IDC_UNIT_IP_SET,          IDC_UNIT_GATEWAY_SET,    IDC_UNIT_ACTIVE_SET,     IDC_UNIT_SUBNET_SET,
    IDC_UNIT_CONNECTION_SET,  IDC_UNIT_KEEP_ALIVE_SET, IDC_UNIT_TIME_SET,       IDC_UNIT_SOURCE_PORT_SET,
    IDC_UNIT_DESTINATION_SET, IDC_UNIT_CLOSE,
};
constexpr int kValueLocks[] = {
    IDC_UNIT_IP_ADDRESS,      IDC_UNIT_GATEWAY_ADDRESS, IDC_UNIT_ACTIVE_ADDRESS,   IDC_UNIT_SUBNET_MASK,
    IDC_UNIT_CONNECTION_LIST, IDC_UNIT_KEEP_ALIVE_LIST, IDC_UNIT_TIME_LIST,        IDC_UNIT_SOURCE_PORT,
    IDC_UNIT_DESTINATION_PORT,
};

SequenceDisplay Read;

void ShowReported(HWND dialog)
{
    SetDlgItemTextW(dialog, IDC_UNIT_MAC_ADDRESS, WideFromUtf8(ShownMacAddress()).c_str());
    SetDlgItemTextW(dialog, IDC_UNIT_VERSION, WideFromUtf8(ShownFirmwareVersion()).c_str());
}

void Start(HWND dialog)
{
    Read = {
        .dialog = dialog,
        .steps = &UnitNetworkRead,
        .controls = {.buttonId = IDC_UNIT_READ, .cancels = false, .progressId = IDC_UNIT_PROGRESS,
                     .locks = kLocks, .moreLocks = kValueLocks},
    };
    SendDlgItemMessageW(dialog, IDC_UNIT_PROGRESS, PBM_SETRANGE32, 0, UnitNetworkRead.length);
    SendDlgItemMessageW(dialog, IDC_UNIT_PROGRESS, PBM_SETSTEP, 1, 0);
    ShowReported(dialog);
}

// A port edit changed: its text is the port the PC uses too, and goes to the
// configuration file at once. It is a PC setting, not one of the settings set.
void PortChanged(HWND dialog, int id, const char* text, const char* key)
{
    StoreControl(dialog, kFields, id);
    if (!FormInitialising(dialog))
        WriteConfigText(key, text);
}

bool Command(HWND dialog, int id, int code)
{
    switch (id) {
    case IDC_UNIT_IP_ADDRESS:
    case IDC_UNIT_GATEWAY_ADDRESS:
    case IDC_UNIT_ACTIVE_ADDRESS:
    case IDC_UNIT_SUBNET_MASK:
        if (code == EN_CHANGE && !FormInitialising(dialog)) {
            StoreControl(dialog, kFields, id);
            SettingsModified = 1;
        }
        return true;
    case IDC_UNIT_SOURCE_PORT:
        if (code == EN_CHANGE)
            PortChanged(dialog, id, Net().sourcePortText, kKeySourcePort);
        return true;
    case IDC_UNIT_DESTINATION_PORT:
        if (code == EN_CHANGE)
            PortChanged(dialog, id, Net().destinationPortText, kKeyDestinationPort);
        return true;
    case IDC_UNIT_READ:
        if (BroadcastGuardPasses())
            PressSequenceButton(Read);
        return true;
    }
    return false;
}

void Close(HWND dialog)
{
    if (SequenceDisplayRunning(Read))
        return;   // "Close" and the close box are locked while it runs
    CloseSendingDialog(dialog);
}

bool Message(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message != WM_TIMER || static_cast<int>(wParam) != UnitNetworkRead.timerId)
        return false;
    if (SequenceDisplayTick(Read) == kSequenceSucceeded) {
        UnitNetworkReadSucceeded();
        // Every value shown is the unit's now; the ports also go to the file.
        RefreshControls(dialog, kFields);
        ShowReported(dialog);
        ShowMessage({"読み込みが完了しました", "接続成功", kIconNone, kButtonsOk, false, kOwnerNone});
        FinishSequenceDisplay(Read);
    }
    return true;
}

const ModalDialog kDialog = {
    .templateId = IDD_UNIT_NETWORK,
    .title = L"プロトコルの設定",
    .closeId = IDC_UNIT_CLOSE,
    // Everything this dialog sends goes out on the serial port and is
    // answered through the serial entry. Text that reaches it as a TCP reply
    // belongs to no request of its own and is dropped.
    .takesReplies = false,
    .handlers = {.start = Start, .command = Command, .close = Close, .message = Message},
};

} // namespace

void RunUnitNetworkDialog(HWND owner)
{
    OpenUnitNetwork();
    RunForm(owner, kDialog, kForm);
}
