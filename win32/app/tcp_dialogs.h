// The TCP/IP client and server dialogs, opened by "TCP/IPの設定".
#pragma once

#include <windows.h>

void RunTcpClientDialog(HWND owner);
void RunTcpServerDialog(HWND owner);
