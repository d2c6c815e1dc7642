#include "link/serial_lines.h"

void ResetSerialLines(SerialLineBuffer& buffer)
{
    buffer.length = 0;
    buffer.discarding = false;
    buffer.line[0] = '\0';
}

void FeedSerialBytes(DeviceModelData& model, SerialLineBuffer& buffer, const char* bytes, int count)
{
    for (int i = 0; i < count; ++i) {
        const char c = bytes[i];
        if (buffer.discarding) {
            if (c == '\n') {
                buffer.discarding = false;
                RejectSerialReply();
            }
            continue;
        }
        if (buffer.length == kMaxReplyLineLength) {
            buffer.length = 0;
            buffer.discarding = c != '\n';
            if (!buffer.discarding)
                RejectSerialReply();
            continue;
        }
        buffer.line[buffer.length++] = c;
        if (c == '\n') {
            buffer.line[buffer.length] = '\0';
            buffer.length = 0;
            ParseSerialReply(model, buffer.line);
        }
    }
}
