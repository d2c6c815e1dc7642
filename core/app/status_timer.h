// The main window's status timer: the one place that tells the user how an
// exchange with the unit ended. Called every 190 ms (timer 1); tests call it
// directly.
#pragma once

constexpr int kStatusTimerId = 1;
constexpr int kStatusTimerPeriodMs = 190;
constexpr int kReplyTimeoutTicks = 15;

// What the tick does to the input/output status window when a reply fails.
struct StatusWindowOps {
    void (*stopPolling)();   // stop the window's poll timer
    void (*close)();         // ask the window to close
};
extern StatusWindowOps StatusWindowHooks;

void StatusTimerTick();

// Closes the input/output status window if it is open (a reply failed, or a
// command could not be sent).
void CloseIoStatusWindow();

// The text shown for a reply status 1..8 ("Menu Display" .. "Command Error").
const char* ReplyStatusText(int status);
