// The one entry through which every command leaves the program, and the
// portable half of the serial framing. The platform supplies the transport:
// the Windows program writes frames to its COM port and sends over its TCP
// socket; tests install a transport that records what would be sent.
#pragma once

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

// The frame last written (for the platform writer, which must keep it valid
// until the write has finished).
const char* LastSerialFrame();
int LastSerialFrameLength();
// No frame written yet (program start).
void ForgetLastSerialFrame();
