#include "dialogs/routing/transfer_dialogs.h"

#include "common/controls.h"
#include "common/dialog.h"
#include "common/sequence_display.h"
#include "dialogs/routing/settings_transfer.h"
#include "link/link_state.h"
#include "link/message_ops.h"
#include "link/transaction.h"
#include "resources/resource.h"

namespace {

struct TransferKind {
    const wchar_t* title = L"";
    int templateId = 0;
    const SequenceSteps* steps = nullptr;
    bool offersBroadcast = false;
    const char* doneText = "";
    void (*open)() = nullptr;        // before the dialog shows anything
    void (*succeeded)() = nullptr;   // before the closing message
};

struct TransferRun {
    const TransferKind* kind = nullptr;
    SequenceDisplay display = {};
};

constexpr int kLocks[] = {IDC_TRANSFER_CLOSE};

TransferRun& RunOf(HWND dialog)
{
    return *static_cast<TransferRun*>(DialogContext(dialog));
}

void Start(HWND dialog)
{
    TransferRun& run = RunOf(dialog);
    if (run.kind->open)
        run.kind->open();
    run.display = {
        .dialog = dialog,
        .steps = run.kind->steps,
        .controls = {.buttonId = IDC_TRANSFER_START, .percentId = IDC_TRANSFER_PERCENT,
                     .progressId = IDC_TRANSFER_PROGRESS, .slaveListId = IDC_TRANSFER_SLAVE_LIST,
                     .locks = kLocks},
    };
    FillSlaveAddressList(dialog, IDC_TRANSFER_SLAVE_LIST, run.kind->offersBroadcast);
    EnableControl(dialog, IDC_TRANSFER_SLAVE_LIST, IsRs485Link());
}

bool Command(HWND dialog, int id, int code)
{
    TransferRun& run = RunOf(dialog);
    switch (id) {
    case IDC_TRANSFER_START: PressSequenceButton(run.display); return true;
    case IDC_TRANSFER_SLAVE_LIST:
        if (code == CBN_SELCHANGE)
            PickSlaveAddress(dialog, id);
        return true;
    }
    return false;
}

void Close(HWND dialog)
{
    if (SequenceDisplayRunning(RunOf(dialog).display))
        return;   // "Close" and the close box are locked while it runs
    ResetTransaction();
    EndModalDialog(dialog, IDCANCEL);
}

bool Message(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    TransferRun& run = RunOf(dialog);
    if (message != WM_TIMER || static_cast<int>(wParam) != run.kind->steps->timerId)
        return false;
    if (SequenceDisplayTick(run.display) == kSequenceSucceeded) {
        if (run.kind->succeeded)
            run.kind->succeeded();
        ShowMessage({run.kind->doneText, "接続成功", kIconNone, kButtonsOk, false, kOwnerNone});
        FinishSequenceDisplay(run.display);
        EndModalDialog(dialog, IDOK);
    }
    return true;
}

void RunTransfer(HWND owner, const TransferKind& kind)
{
    const ModalDialog dialog = {
        .templateId = kind.templateId,
        .title = kind.title,
        .closeId = IDC_TRANSFER_CLOSE,
        .handlers = {.start = Start, .command = Command, .close = Close, .message = Message},
    };
    TransferRun run{.kind = &kind};
    RunModalDialog(owner, dialog, &run);
}

const TransferKind kReadAll = {
    .title = L"設定項目の読み込み",
    .templateId = IDD_READ_ALL,
    .steps = &ReadAllSettings,
    .doneText = "読み込みが完了しました",
    .open = OpenReadAll,
    .succeeded = ReadAllSucceeded,
};

const TransferKind kSetAll = {
    .title = L"全項目の設定",
    .templateId = IDD_SET_ALL,
    .steps = &SetAllSettings,
    .offersBroadcast = true,
    .doneText = "設定が完了しました",
};

} // namespace

void RunReadAllDialog(HWND owner)
{
    RunTransfer(owner, kReadAll);
}

void RunSetAllDialog(HWND owner)
{
    RunTransfer(owner, kSetAll);
}
