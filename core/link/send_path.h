// The one entry through which every command leaves the program, and the
// portable half of the serial framing. The platform supplies the transport:
// the Windows program writes frames to its COM port and sends over its TCP
// socket; tests install a transport that records what would be sent.
#pragma once

#include "link/link_state.h"
#include "link/transaction.h"

constexpr int kFrameBufferBytes = 600;   // address prefix + command, at most 599 characters

struct LinkTransport {
    // Start writing one serial frame (address prefix included, no NUL).
    // The bytes stay valid until the next frame is written.
    void (*writeSerial)(const char* frame, int length);
    // Send a command over TCP and wait for its reply (the TCP sender owns
    // the failure handling of its link).
    void (*sendTcp)(const char* command);
};

extern LinkTransport ActiveTransport;

// Marks the transaction busy, starts the reply wait and hands the command
// (NUL-terminated, ending in "\r\n") to the configured link.
// Precondition: the busy flag is clear (the caller tests it).
void SendCommand(const char* command);

// Writes one command to the serial link: puts the RS-485 address (or "FF" for
// Broadcast, which completes at once since no unit answers it) in front.
// Used by SendCommand and directly by the unit network commands.
void WriteSerialFrame(const char* command);

// A command that could not be sent or was not answered: the transaction
// ends at once as a failed send (so a dialog may send again and a running
// sequence stops), a part of its reply that came is thrown away, and
// `warning` is shown when given.
void FailCommand(const char* warning);

// Puts the RS-485 address (0..31; kSlaveBroadcast gives "FF") in front of
// `command` into `frame` (kFrameBufferBytes) and returns the frame's length;
// kNoAddressPrefix leaves the command as it is. A broadcast is acknowledged on
// `transaction` at once, since no unit answers it.
int FrameCommand(TransactionStateRecord& transaction, int rs485Address, const char* command, char* frame);

// One unit's link as the send path sees it, for a caller that talks to many
// units at once (the command-line tool): the unit's own transaction, its
// RS-485 address (kNoAddressPrefix on RS-232C and TCP), and where its frames
// go. The Windows program needs none: its commands go over the global link
// settings and transaction.
struct CommandChannel {
    TransactionStateRecord* transaction = nullptr;
    int rs485Address = kNoAddressPrefix;
    void (*deliver)(CommandChannel& channel, const char* frame, int length) = nullptr;
    void* owner = nullptr;
    char frame[kFrameBufferBytes] = {};
    int frameLength = 0;
};

// While one lives, SendCommand, WriteSerialFrame and RefuseCommand act on its
// channel, so that the builders keep their one signature and the step tables
// serve every unit. Not nested; one thread.
class SendingOnChannel {
public:
    explicit SendingOnChannel(CommandChannel& channel);
    ~SendingOnChannel();
    SendingOnChannel(const SendingOnChannel&) = delete;
    SendingOnChannel& operator=(const SendingOnChannel&) = delete;
};

// The frame last written (for the platform writer, which must keep it valid
// until the write has finished).
const char* LastSerialFrame();
int LastSerialFrameLength();
// No frame written yet (program start).
void ForgetLastSerialFrame();
