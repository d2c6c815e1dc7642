#include "dialogs/routing/video_output.h"

#include <cwchar>

#include "dialogs/routing/channel_table.h"
#include "dialogs/routing/routing_tables.h"
#include "resources/resource.h"

namespace {

// Output 1 is always on.
void PaintFixed(TableFrame&, HDC dc)
{
    const wchar_t fixed[] = L"( 固定 )";
    TextOutW(dc, 125, 40, fixed, static_cast<int>(wcslen(fixed)));
}

const ChannelTableMember kVideoOutput = {
    .title = L"映像出力",
    .templateId = IDD_VIDEO_OUTPUT,
    .table = &VideoOutputTable,
    .hooks = {.paintExtra = PaintFixed},
};

} // namespace

void RunVideoOutputDialog(HWND owner)
{
    RunChannelTableDialog(owner, kVideoOutput);
}
