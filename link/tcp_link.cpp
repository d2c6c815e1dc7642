#include "link/tcp_link.h"

#include "app/status_timer.h"
#include "link/link_state.h"
#include "link/message_ops.h"
#include "link/send_path.h"
#include "link/transaction.h"

namespace {

// A send that cannot happen: the dialog may send again at once, and a status
// window that polls through this link is closed.
void FailTcpSend(const char* text)
{
    TransactionState.sendFailed = 1;
    TransactionState.busy = 0;
    TransactionState.replyWait = 0;
    ShowWarning(text);
    if (IoStatusWindowOpen) {
        if (StatusWindowHooks.close)
            StatusWindowHooks.close();
        IoStatusWindowOpen = 0;
    }
}

} // namespace

void SendTcp(const char*)
{
    if (!TcpConnected) {
        FailTcpSend("Socket が接続されていません");
        return;
    }
    // Connections are made by the TCP/IP dialogs; until one exists nothing
    // can be connected.
    FailTcpSend("Socket が接続されていません");
}

void InstallTcpTransport()
{
    ActiveTransport.sendTcp = SendTcp;
}
