#include "dialogs/overlay/date_time_display.h"

#include "dialogs/overlay/date_time_tables.h"
#include "dialogs/routing/channel_table.h"
#include "resources/resource.h"

namespace {

const ChannelTableMember kDateTimeInput = {
    .title = L"日付・時刻表示（入力側）",
    .templateId = IDD_DATE_TIME_INPUT,
    .table = &DateTimeInputTable,
};

const ChannelTableMember kDateTimeOutput = {
    .title = L"日付・時刻表示（出力側）",
    .templateId = IDD_DATE_TIME_OUTPUT,
    .table = &DateTimeOutputTable,
};

} // namespace

void RunDateTimeInputDialog(HWND owner)
{
    RunChannelTableDialog(owner, kDateTimeInput);
}

void RunDateTimeOutputDialog(HWND owner)
{
    RunChannelTableDialog(owner, kDateTimeOutput);
}
