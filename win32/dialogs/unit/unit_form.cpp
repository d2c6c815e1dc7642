#include "dialogs/unit/unit_form.h"

#include "files/settings_file.h"
#include "link/link_state.h"
#include "link/transaction.h"

namespace {

struct FormRun {
    const ModalDialog* dialog = nullptr;
    const FormControls* form = nullptr;
    bool initialising = true;
};

FormRun& RunOf(HWND dialog)
{
    return *static_cast<FormRun*>(DialogContext(dialog));
}

} // namespace

const wchar_t* const kOffOnItems[] = {L"OFF", L"ON", nullptr};

bool FormInitialising(HWND dialog)
{
    const auto* run = static_cast<const FormRun*>(DialogContext(dialog));
    return !run || run->initialising;
}

namespace {

void StartForm(HWND dialog)
{
    FormRun& run = RunOf(dialog);
    const FormControls& form = *run.form;
    if (form.checkedSetId)
        EnableControl(dialog, form.checkedSetId, form.editSendable());
    if (form.slaveListId) {
        FillSlaveAddressList(dialog, form.slaveListId);
        EnableControl(dialog, form.slaveListId, IsRs485Link());
    }
    if (run.dialog->handlers.start)
        run.dialog->handlers.start(dialog);
    run.initialising = false;
}

bool FormCommand(HWND dialog, int id, int code)
{
    const FormRun& run = RunOf(dialog);
    if (run.dialog->handlers.command && run.dialog->handlers.command(dialog, id, code))
        return true;
    const FormControls& form = *run.form;
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

} // namespace

INT_PTR RunForm(HWND owner, const ModalDialog& dialog, const FormControls& form)
{
    ModalDialog running = dialog;
    running.fields = form.fields;
    running.handlers.start = StartForm;
    running.handlers.command = FormCommand;
    FormRun run{.dialog = &dialog, .form = &form};
    return RunModalDialog(owner, running, &run);
}

