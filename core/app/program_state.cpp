#include "app/program_state.h"

#include <cstring>

#include "app/dialog_selections.h"
#include "app/status_timer.h"
#include "dialogs/routing/io_status_view.h"
#include "dialogs/glyph/glyph_editor_model.h"
#include "files/settings_file.h"
#include "files/settings_operations.h"
#include "link/link_state.h"
#include "link/message_ops.h"
#include "link/send_path.h"
#include "link/tcp_state.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "protocol/reply_parser.h"

namespace {

void ResetLinkSettings()
{
    InterfaceKind = kInterfaceSerial;
    ControlMode = kControlRs232c;
    ClientServerMode = kModeClient;
    PortIndex = 0;
    memset(PortNameTable, 0, sizeof PortNameTable);
    PortCount = 0;
    HostTable = HostTableRecord();
    SlaveAddress = 0;
    AppRunning = 0;
    TcpConnected = 0;
    IoStatusWindowOpen = 0;
}

void ResetTcpState()
{
    ResetConnectionState();
    CurrentConnection = kNoConnection;
    MainSocket = 0;
    memset(ReceiveBuffer, 0, sizeof ReceiveBuffer);
    ReceivedByteCount = 0;
}

void ResetHooks()
{
    ActiveTransport = {nullptr, nullptr};
    MessageSink = nullptr;
    FileUi = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    StatusWindowHooks = {nullptr, nullptr};
    OutputChannelsDrawHook = nullptr;
    AutoSwitchMarksDrawHook = nullptr;
    VideoLossDrawHook = nullptr;
    GlyphRepaintHook = nullptr;
    GlyphFileUi = {nullptr, nullptr};
}

} // namespace

void ResetProgramState()
{
    ResetModelToStartValues(DeviceModel);
    ResetTransaction();
    TransactionState.completionCode = kCompletionNone;
    TransactionState.suppress = 0;
    ResetLinkSettings();
    ResetTcpState();
    ResetHooks();
    ResetDialogReplyLine();
    ForgetLastSerialFrame();
    memset(CurrentFilePath, 0, sizeof CurrentFilePath);
    SettingsModified = 0;
    DialogSelections = DialogSelectionsRecord();
    IoStatusPollCounter = 0;
    SetIoStatusNotify(nullptr);
    GlyphEditor = GlyphEditorState();
}
