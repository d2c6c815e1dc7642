#include "common/sequence_display.h"

#include <commctrl.h>

#include <cwchar>

#include "common/controls.h"
#include "link/link_state.h"
#include "link/message_ops.h"
#include "link/transaction.h"

namespace {

void Lock(const SequenceDisplay& display, bool locked)
{
    const SequenceControls& c = display.controls;
    for (std::span<const int> ids : {c.locks, c.moreLocks})
        for (int id : ids)
            EnableControl(display.dialog, id, !locked);
    if (c.slaveListId)
        EnableControl(display.dialog, c.slaveListId, !locked && IsRs485Link());
    EnableMenuItem(GetSystemMenu(display.dialog, FALSE), SC_CLOSE,
                   MF_BYCOMMAND | (locked ? MF_GRAYED : MF_ENABLED));
}

void SetPercent(const SequenceDisplay& display, const wchar_t* text)
{
    if (display.controls.percentId)
        SetDlgItemTextW(display.dialog, display.controls.percentId, text);
}

void SetProgress(const SequenceDisplay& display, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (display.controls.progressId)
        SendDlgItemMessageW(display.dialog, display.controls.progressId, message, wParam, lParam);
}

void Start(SequenceDisplay& display)
{
    const SequenceSteps& steps = *display.steps;
    const SequenceControls& c = display.controls;
    GetDlgItemTextW(display.dialog, c.buttonId, display.buttonText, static_cast<int>(std::size(display.buttonText)));
    Lock(display, true);
    if (!c.keepsPercent)
        SetPercent(display, L"0");
    SetProgress(display, PBM_SETRANGE32, 0, steps.length);
    SetProgress(display, PBM_SETSTEP, 1, 0);
    SetProgress(display, PBM_SETPOS, 0, 0);
    if (c.cancels)
        SetDlgItemTextW(display.dialog, c.buttonId, L"キャンセル");
    else
        EnableControl(display.dialog, c.buttonId, false);
    SetTimer(display.dialog, static_cast<UINT_PTR>(steps.timerId), static_cast<UINT>(steps.periodMs), nullptr);
    StartSequence(steps);
}

void Stop(const SequenceDisplay& display)
{
    KillTimer(display.dialog, static_cast<UINT_PTR>(display.steps->timerId));
    SetProgress(display, PBM_SETPOS, 0, 0);
}

// The sequence is over, however it ended: the dialog is as before the start.
void Restore(const SequenceDisplay& display)
{
    Lock(display, false);
    if (!display.controls.keepsPercent)
        SetPercent(display, L"");
    SetDlgItemTextW(display.dialog, display.controls.buttonId, display.buttonText);
    if (!display.controls.cancels)
        EnableControl(display.dialog, display.controls.buttonId, true);
}

} // namespace

void FinishSequenceDisplay(const SequenceDisplay& display)
{
    Restore(display);
}

bool SequenceDisplayRunning(const SequenceDisplay& display)
{
    return SequenceRunning(*display.steps);
}

void PressSequenceButton(SequenceDisplay& display)
{
    if (SequenceDisplayRunning(display)) {
        if (!display.controls.cancels || !CancelSequence())
            return;   // the last command is under way
        KillTimer(display.dialog, static_cast<UINT_PTR>(display.steps->timerId));
        ShowMessage({"中止しました", "キャンセル", kIconError, kButtonsOk, false, kOwnerNone});
        EndCancel();
        Stop(display);
        Restore(display);
        return;
    }
    if (!TransactionState.busy)
        Start(display);
}

SequenceTick SequenceDisplayTick(SequenceDisplay& display)
{
    int percent = 0;
    const SequenceTick tick = TickSequence(*display.steps, percent);
    switch (tick) {
    case kSequenceStepSent: {
        wchar_t text[8];
        swprintf(text, 8, L"%d", percent);
        SetPercent(display, text);
        SetProgress(display, PBM_STEPIT, 0, 0);
        break;
    }
    case kSequenceSucceeded:
        // The controls come back after the caller's closing message, so that
        // no idle dialog stands behind a box that says the work is done.
        Stop(display);
        break;
    case kSequenceEnded:
        Stop(display);
        Restore(display);
        break;
    case kSequenceWaiting:
        break;
    }
    return tick;
}
