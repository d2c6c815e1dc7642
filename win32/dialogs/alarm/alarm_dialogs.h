#pragma once

#include <windows.h>

// "アラーム入力": the input channel each of the 32 alarm connectors shows.
void RunAlarmInputDialog(HWND owner);
// "アラーム映像出力" and "アラーム信号出力": per input channel, the video
// outputs (4) or signal outputs (6) its alarm switches ON or OFF.
void RunAlarmVideoOutputDialog(HWND owner);
void RunAlarmSignalOutputDialog(HWND owner);
