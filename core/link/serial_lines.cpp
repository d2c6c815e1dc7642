#include "link/serial_lines.h"

void ResetSerialLines(SerialLineBuffer& buffer)
{
    buffer.length = 0;
    buffer.discarding = false;
    buffer.line[0] = '\0';
}

void FeedSerialBytes(DeviceModelData& model, SerialLineBuffer& buffer, const char* bytes, int count)
{
    FeedSerialBytes(model, TransactionState, ProgramReplyAddress(), buffer, bytes, count);
}

void FeedSerialBytes(DeviceModelData& model, TransactionStateRecord& transaction, int rs485Address,
                     SerialLineBuffer& buffer, const char* bytes, int count)
{
    for (int i = 0; i < count; ++i) {
        const char c = bytes[i];
        if (buffer.discarding) {
            if (c == '\n') {
                buffer.discarding = false;
                RejectSerialReply(transaction);
            }
            continue;
        }
        if (buffer.length == kMaxReplyLineLength) {
            buffer.length = 0;
            buffer.discarding = c != '\n';
            if (!buffer.discarding)
                RejectSerialReply(transaction);
            continue;
        }
        buffer.line[buffer.length++] = c;
        if (c == '\n') {
            buffer.line[buffer.length] = '\0';
            buffer.length = 0;
            ParseSerialReply(model, transaction, rs485Address, buffer.line);
        }
    }
}
