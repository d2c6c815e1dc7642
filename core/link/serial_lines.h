// Joins the bytes the serial port delivers into reply lines and hands each
// complete line, with the model it is to be stored into, to the serial reply
// entry. Private to the receive thread.
#pragma once

#include "protocol/reply_parser.h"

struct SerialLineBuffer {
    char line[kReplyLineBytes];
    int length;
    bool discarding;   // inside a run too long for the buffer
};

void ResetSerialLines(SerialLineBuffer& buffer);

// Feeds the bytes of one read. Every line feed ends a line, so two replies
// that arrive in one read are parsed one by one. A run of more than 599 bytes
// without a line feed is dropped, and the reply it belonged to is refused
// when its line feed arrives.
// This form parses into the Windows program's transaction, with its link's
// address; the other into the transaction and address given.
void FeedSerialBytes(DeviceModelData& model, SerialLineBuffer& buffer, const char* bytes, int count);
void FeedSerialBytes(DeviceModelData& model, TransactionStateRecord& transaction, int rs485Address,
                     SerialLineBuffer& buffer, const char* bytes, int count);
