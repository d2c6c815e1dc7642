// Reply reception: a status word goes into the transaction state, a data
// reply is checked field by field and then stored into the model the caller
// passes. A reply that fails any check stores nothing and sets reply status 8.
#pragma once

#include "link/transaction.h"
#include "protocol/device_model.h"

constexpr int kReplyLineBytes = 600;               // line buffers: 599 characters and NUL
constexpr int kMaxReplyLineLength = kReplyLineBytes - 1;

// The entries below that take a transaction work on it; those without work on
// the Windows program's one transaction and link settings.

// Serial entry: one NUL-terminated line, up to and including its line feed.
// Runs on the serial receive thread. A line that begins with `rs485Address`
// as two digits loses them first (kNoAddressPrefix: none is expected).
void ParseSerialReply(DeviceModelData& model, TransactionStateRecord& transaction, int rs485Address,
                      const char* line);
void ParseSerialReply(DeviceModelData& model, const char* line);
// A reply that could not be received whole (longer than the line buffers):
// refused as a malformed reply, and the command is no longer outstanding.
void RejectSerialReply(TransactionStateRecord& transaction);
void RejectSerialReply();
// The address the program's serial replies carry: the slave address on
// RS-485, kNoAddressPrefix on RS-232C.
int ProgramReplyAddress();

// What the dialog-side entry made of the received bytes.
enum DialogReplyResult {
    kDialogReplyDone = 0,     // a whole line was handled
    kDialogReplyPartial,      // no line feed yet: the command is still outstanding
    kDialogReplyClosed,       // nothing was received (the unit closed the connection)
};

// The dialog side's line being joined from TCP chunks.
struct DialogReplyLine {
    char text[kReplyLineBytes];
    int length;
    bool pending;    // a partial line awaits its line feed
    bool overlong;   // the line did not fit
    // What the complete lines of the command's receives have come to so far:
    // the first status that was not good.
    int outcome;
};

// Dialog-side entry for the TCP link: `count` bytes from the receive buffer,
// joined with a pending partial line. Every complete line is handled in
// order; the command ends when a receive ends with a line feed, as a success
// only when all its lines were good, else with the first error. Runs on the
// user-interface thread.
DialogReplyResult ParseDialogReply(DeviceModelData& model, TransactionStateRecord& transaction,
                                   DialogReplyLine& pending, const char* received, int count);
DialogReplyResult ParseDialogReply(DeviceModelData& model, const char* received, int count);
// Forgets a pending partial line: the command ended without it, a dialog
// starts or ends, the connection was made or closed.
void ResetDialogReplyLine(DialogReplyLine& pending);
void ResetDialogReplyLine();

// Draw hooks of the live status, set by the input/output status window: each
// gets the live status just stored. They may be called on the serial receive
// thread and must not draw there.
extern void (*OutputChannelsDrawHook)(const IoStatusRecord& io);    // "OCD"
extern void (*AutoSwitchMarksDrawHook)(const IoStatusRecord& io);   // "OS"
extern void (*VideoLossDrawHook)(const IoStatusRecord& io);         // "VL"
// May be called on the serial receive thread and must only invalidate.
extern void (*GlyphRepaintHook)();         // "FBM": the glyph editor repaints
