// The serial receive thread and the user-interface thread together, as the
// Windows program runs them: the reply parser stores into the model on one
// thread while the status timer ticks on the other. Natively it checks the
// hand-over; the ThreadSanitizer build checks that it is free of races.
#include <string>
#include <thread>

#include "app/status_timer.h"
#include "link/send_path.h"
#include "link/serial_lines.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "test_support.h"

using ReceiveThreadTest = CoreTest;

TEST_F(ReceiveThreadTest, EveryReplyFromTheReceiveThreadIsReportedOnceWithWhatItStored)
{
    SerialLineBuffer buffer;
    ResetSerialLines(buffer);
    for (int round = 0; round < 64; ++round) {
        const int pattern = round % kPatternCount;
        Messages = MessageLog();
        SendCommand("ROP\r\n");

        const int wire = pattern + 1;
        const std::string reply = std::string("OP") + static_cast<char>('0' + wire / 10) +
                                  static_cast<char>('0' + wire % 10) + "\r\n";
        std::thread receiver([&buffer, &reply] {
            FeedSerialBytes(DeviceModel, buffer, reply.data(), static_cast<int>(reply.size()));
        });
        // Tick until the reply is reported; a tick that would give up on the
        // reply waits instead (the reply is on its way, however slow).
        while (Messages.shown.empty()) {
            if (TransactionState.replyWait < kReplyTimeoutTicks - 1)
                StatusTimerTick();
            else
                std::this_thread::yield();
        }
        receiver.join();

        ASSERT_EQ(Messages.shown.size(), 1u) << "round " << round;
        EXPECT_EQ(Messages.shown[0].text, "Success") << "round " << round;
        EXPECT_EQ(DeviceModel.CurrentDisplayPattern, pattern) << "round " << round;
        EXPECT_EQ(TransactionState.busy, 0);
        EXPECT_EQ(TransactionState.replyWait, 0);
    }
}
