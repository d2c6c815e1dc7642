#include "dialogs/routing/video_output.h"

#include <cwchar>

#include "app/dialog_selections.h"
#include "dialogs/routing/channel_table.h"
#include "protocol/command_builder.h"
#include "protocol/device_model.h"
#include "resources/resource.h"

namespace {

int* Outputs()
{
    return DeviceModel.VideoOutputEnable;
}

void OnOffItem(int value, wchar_t* text, size_t size)
{
    swprintf(text, size, L"%ls", value ? L"ON" : L"OFF");
}

// "ON " and "OFF" are equally wide, so a new value covers the old one.
void OnOffPainted(int value, wchar_t* text, size_t size)
{
    swprintf(text, size, L"%ls", value ? L"ON " : L"OFF");
}

// Output 1 is always on.
void PaintFixed(HDC dc)
{
    const wchar_t fixed[] = L"( 固定 )";
    TextOutW(dc, 125, 40, fixed, static_cast<int>(wcslen(fixed)));
}

const ChannelTableMember kVideoOutput = {
    "映像出力", IDD_VIDEO_OUTPUT, kOutputCount, 1,
    &DialogSelections.videoOutput, &DialogSelections.previousVideoOutput,
    Outputs, 2, OnOffItem, OnOffPainted, 1, 1,
    [](int output) { return SendVideoOutput(DeviceModel, output); },
    [] { return SendVideoOutputAll(DeviceModel); },
    nullptr, 0,
    nullptr, nullptr, PaintFixed, nullptr,
};

} // namespace

void RunVideoOutputDialog(HWND owner)
{
    RunChannelTableDialog(owner, kVideoOutput);
}
