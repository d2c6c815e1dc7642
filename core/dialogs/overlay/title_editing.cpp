#include "dialogs/overlay/title_editing.h"

#include <cstring>

#include "app/dialog_selections.h"
#include "files/settings_file.h"
#include "link/message_ops.h"
#include "link/transaction.h"
#include "protocol/command_builder.h"
#include "protocol/device_model.h"

const char* const kTitleRefusedText = "ＪＩＳ第１水準,第２水準以外の字が選択されてます";
const char* const kTitleAsteriskText = "「＊」はタイトルに使えません。設定ファイルに保存できない文字です。";

namespace {

// A refused title says so; in the sequence it also ends the run through the
// error path ("Command Error", no "Success").
bool SendChannelTitle(int channel, bool inSequence)
{
    const TitleCheck check = SendTitle(DeviceModel, channel);
    if (check == kTitleOk)
        return true;
    if (inSequence)
        TransactionState.replyStatus = kReplyCommandError;
    ShowWarning(check == kTitleAsterisk ? kTitleAsteriskText : kTitleRefusedText);
    return false;
}

} // namespace

const ChannelTable TitleChannels = {
    .entries = {
        .count = ChannelTableEntries,
        .position = &DialogSelections.inputChannel,
        .get = [](int) { return 0; },   // the value is the text, shown by the dialog's edit
        .set = [](int, int) {},
    },
    .sends = {.one = [](int channel) { return SendChannelTitle(channel, false); }},
    .sequence = &AllTitles,
    .pageSize = kTitlePageEntries,
};

SequenceSteps AllTitles = {
    .timerId = 7,
    .periodMs = 400,
    .length = kMaxChannels,
    .sendStep = [](int step) { return SendChannelTitle(step - 1, true); },
};

void OpenTitles()
{
    AllTitles.length = DeviceModel.ChannelCount;
}

void StoreTitleText(int channel, const char* text, bool initialising)
{
    if (channel < 0 || channel >= DeviceModel.ChannelCount)
        return;
    char* slot = DeviceModel.TitleText[channel];
    memset(slot, 0, kTitleSlotBytes);
    memcpy(slot, text, strnlen(text, kTitleMaxBytes));
    if (!initialising)
        SettingsModified = 1;
}
