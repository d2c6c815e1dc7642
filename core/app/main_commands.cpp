#include "app/main_commands.h"

#include "files/settings_operations.h"
#include "link/link_state.h"
#include "link/message_ops.h"

bool BroadcastGuardPasses()
{
    if (IsRs485Link() && SlaveAddress == kSlaveBroadcast) {
        ShowError("スレーブアドレスを「Broadcast」以外に設定してください。");
        return false;
    }
    return true;
}

bool TcpGuardPasses()
{
    if (TcpConnected) {
        ShowError("TCP/IPを切断してください。");
        return false;
    }
    return true;
}

bool ConfirmProgramEnd(const DeviceModelData& model)
{
    if (!ConfirmDiscardChanges(model))
        return false;
    return TcpGuardPasses();
}
