#pragma once

#include <windows.h>

// "映像出力": outputs 2..16 on or off, one at a time or all in one command.
void RunVideoOutputDialog(HWND owner);
