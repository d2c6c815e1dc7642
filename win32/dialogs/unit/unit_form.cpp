#include "dialogs/unit/unit_form.h"

#include "files/settings_file.h"
#include "link/link_state.h"
#include "link/transaction.h"

namespace {

struct FormRun {
    const ModalDialog* dialog = nullptr;
    bool initialising = true;
};

void StartForm(HWND dialog)
{
    auto& run = *static_cast<FormRun*>(DialogContext(dialog));
    if (run.dialog->handlers.start)
        run.dialog->handlers.start(dialog);
    run.initialising = false;
}

} // namespace

const wchar_t* const kOffOnItems[] = {L"OFF", L"ON", nullptr};

INT_PTR RunForm(HWND owner, const ModalDialog& dialog)
{
    ModalDialog form = dialog;
    form.handlers.start = StartForm;
    FormRun run{.dialog = &dialog};
    return RunModalDialog(owner, form, &run);
}

bool FormInitialising(HWND dialog)
{
    const auto* run = static_cast<const FormRun*>(DialogContext(dialog));
    return !run || run->initialising;
}

void StartFormControls(HWND dialog, const FormControls& form)
{
    if (form.checkedSetId)
        EnableControl(dialog, form.checkedSetId, form.editSendable());
    if (form.slaveListId) {
        FillSlaveAddressList(dialog, form.slaveListId);
        EnableControl(dialog, form.slaveListId, IsRs485Link());
    }
}

bool FormCommand(HWND dialog, const FormControls& form, int id, int code)
{
    for (const FormButton& button : form.buttons) {
        if (button.id == id) {
            form.sendRow(button.row);
            return true;
        }
    }
    if (id == form.checkedEditId && id != 0) {
        if (code == EN_CHANGE) {
            StoreControl(dialog, form.fields, id);
            EnableControl(dialog, form.checkedSetId, form.editSendable());
            if (!FormInitialising(dialog))
                SettingsModified = 1;
        }
        return true;
    }
    if (id == form.slaveListId && id != 0) {
        if (code == CBN_SELCHANGE)
            PickSlaveAddress(dialog, id);
        return true;
    }
    for (const ControlField& field : form.fields) {
        if (field.id != id || field.kind != kComboChoice)
            continue;
        if (code == CBN_SELCHANGE) {
            StoreControl(dialog, form.fields, id);
            SettingsModified = 1;
        }
        return true;
    }
    return false;
}

void CloseForm(HWND dialog)
{
    ResetTransaction();
    EndModalDialog(dialog, IDCANCEL);
}
