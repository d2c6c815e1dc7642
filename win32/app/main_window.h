// The main window: a small frame that carries the menu, owns the status timer
// and decides how the program ends.
#pragma once

#include <windows.h>

// Test-only query: wParam = a command id; returns GetMenuState of that item.
// Another process cannot read our menu under Wine, but it can ask.
#define WM_QUERY_MENU_STATE (WM_APP + 100)
// A TCP reply is in the receive buffer (sent to the open dialog).
#define WM_DEVICE_REPLY (WM_USER + 2)

extern HWND MainWindow;
// The modal dialog that is up, if any: replies and close requests go to it.
extern HWND OpenDialog;

bool RegisterMainWindowClass(HINSTANCE instance, const wchar_t* className);
HWND CreateMainWindow(HINSTANCE instance, const wchar_t* className, const wchar_t* title);
// Enables and grays the link items for the current interface and control mode.
void UpdateMenuStates();
// "KVR2840E ver.1.00   " + the settings file path.
void UpdateMainWindowTitle();
// Runs one menu or further command as the window procedure does.
void RunMainCommand(int id);
// Hooks the File menu, the status window and message boxes to this window.
void InstallMainWindowServices();
