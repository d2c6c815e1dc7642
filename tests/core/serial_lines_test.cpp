#include <cstring>
#include <string>

#include "link/link_state.h"
#include "link/serial_lines.h"
#include "link/transaction.h"
#include "protocol/device_model.h"
#include "test_support.h"

class SerialLinesTest : public CoreTest {
protected:
    SerialLineBuffer buffer;
    DeviceModelData model;
    void SetUp() override
    {
        CoreTest::SetUp();
        ResetModelToStartValues(model);
        ResetSerialLines(buffer);
        TransactionState.busy = 1;
        TransactionState.replyWait = 2;
    }
    void Feed(const std::string& bytes)
    {
        FeedSerialBytes(model, buffer, bytes.data(), static_cast<int>(bytes.size()));
    }
};

TEST_F(SerialLinesTest, AReplyInTwoPiecesIsHandedOverOnce)
{
    Feed("G");
    EXPECT_EQ(TransactionState.busy, 1);
    EXPECT_EQ(TransactionState.completionCode, 0);
    Feed("O\r\n");
    EXPECT_EQ(TransactionState.busy, 0);
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
    EXPECT_EQ(TransactionState.completionCode, kCompletionSingle);
}

TEST_F(SerialLinesTest, TwoRepliesInOneReadAreParsedOneByOne)
{
    Feed("OP05\r\nOP07\r\n");
    EXPECT_EQ(model.CurrentDisplayPattern, 6);
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
}

TEST_F(SerialLinesTest, Rs485ReplyFromAnotherAddressIsRefused)
{
    ControlMode = kControlRs485;
    SlaveAddress = 7;
    Feed("08GO\r\n");
    EXPECT_EQ(TransactionState.replyStatus, kReplyCommandError);
    TransactionState.busy = 1;   // a command outstanding, as the send path leaves it
    TransactionState.replyWait = 1;
    Feed("07GO\r\n");
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
}

TEST_F(SerialLinesTest, ALineOf599CharactersStillFits)
{
    Feed("PN123456" + std::string(589, ' ') + "\r\n");
    EXPECT_EQ(TransactionState.replyStatus, kReplyCommandError);   // CR LF not at 8
    TransactionState.busy = 1;   // a command outstanding, as the send path leaves it
    TransactionState.replyWait = 1;
    Feed("HELLO" + std::string(592, 'x') + "\r");
    Feed("\n");
    EXPECT_EQ(TransactionState.replyStatus, kReplyCommandError);
    EXPECT_EQ(TransactionState.busy, 0);
    TransactionState.busy = 1;   // a command outstanding, as the send path leaves it
    TransactionState.replyWait = 1;
    Feed("GO\r\n");
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
}

TEST_F(SerialLinesTest, AnOverlongRunIsDroppedAndItsReplyRefused)
{
    const DeviceModelData before = model;
    Feed("OP" + std::string(700, '1'));
    EXPECT_EQ(TransactionState.busy, 1);   // no line feed yet
    Feed(std::string(1000, '2'));
    Feed("3\r\n");
    EXPECT_EQ(TransactionState.replyStatus, kReplyCommandError);
    EXPECT_EQ(TransactionState.busy, 0);
    EXPECT_EQ(0, memcmp(&before, &model, sizeof before));
    // The next reply is received normally.
    TransactionState.busy = 1;
    TransactionState.replyStatus = 0;
    Feed("OP09\r\n");
    EXPECT_EQ(model.CurrentDisplayPattern, 8);
    EXPECT_EQ(TransactionState.replyStatus, kReplyGood);
}

TEST_F(SerialLinesTest, ExactlyFullBufferFollowedByLineFeed)
{
    Feed(std::string(599, 'x'));
    Feed("\n");
    EXPECT_EQ(TransactionState.replyStatus, kReplyCommandError);
    EXPECT_EQ(TransactionState.busy, 0);
}
