#include "dialogs/unit/password.h"

#include "dialogs/unit/unit_form.h"
#include "dialogs/unit/unit_forms.h"
#include "protocol/device_model.h"
#include "resources/resource.h"

namespace {

const ControlField kFields[] = {
    {.id = IDC_PASSWORD_NUMBER, .kind = kEditText, .text = DeviceModel.PanelLock.password,
     .textBytes = sizeof DeviceModel.PanelLock.password},
    {.id = IDC_PASSWORD_BUTTON_LIST, .items = kOffOnItems,
     .get = [] { return DeviceModel.PanelLock.buttonLock; },
     .set = [](int value) { DeviceModel.PanelLock.buttonLock = value; }},
    {.id = IDC_PASSWORD_MENU_LIST, .items = kOffOnItems,
     .get = [] { return DeviceModel.PanelLock.menuLock; },
     .set = [](int value) { DeviceModel.PanelLock.menuLock = value; }},
};

constexpr FormButton kButtons[] = {
    {IDC_PASSWORD_NUMBER_SET, kPasswordNumberRow},
    {IDC_PASSWORD_BUTTON_SET, kPasswordButtonLockRow},
    {IDC_PASSWORD_MENU_SET, kPasswordMenuLockRow},
};

const FormControls kForm = {
    .fields = kFields,
    .buttons = kButtons,
    .sendRow = [](int row) { return SendPasswordRow(static_cast<PasswordRow>(row)); },
    .checkedEditId = IDC_PASSWORD_NUMBER,
    .checkedSetId = IDC_PASSWORD_NUMBER_SET,
    .editSendable = PasswordTextChanged,
    .slaveListId = IDC_PASSWORD_SLAVE_LIST,
};

const ModalDialog kDialog = {
    .templateId = IDD_PASSWORD,
    .title = L"パスワード",
    .caption = kCaptionWithoutPath,
    .closeId = IDC_PASSWORD_CLOSE,
    .handlers = {.close = CloseSendingDialog},
};

} // namespace

void RunPasswordDialog(HWND owner)
{
    RunForm(owner, kDialog, kForm);
}
