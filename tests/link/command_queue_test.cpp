#include "link/command_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brisko {
namespace {

std::vector<std::string> Commands(int count, const std::string& prefix = "$NT") {
  std::vector<std::string> commands;
  for (int i = 0; i < count; ++i) commands.push_back(prefix + std::to_string(i));
  return commands;
}

std::vector<std::string> TakeAll(CommandQueue& queue) {
  std::vector<std::string> taken;
  while (std::string* front = queue.Front()) {
    taken.push_back(*front);
    queue.PopFront();
  }
  return taken;
}

TEST(CommandQueue, HandsOutCommandsInQueueOrderAcrossTheWrap) {
  CommandQueue queue;
  // Move both indices to 25 so that the next burst wraps past slot 29.
  ASSERT_TRUE(queue.QueueCommands(Commands(25, "$OLD")));
  TakeAll(queue);
  ASSERT_EQ(queue.readIndex(), 25);

  ASSERT_TRUE(queue.QueueCommands(Commands(9)));
  EXPECT_EQ(queue.writeIndex(), 4);
  EXPECT_EQ(queue.PendingCount(), 9);
  EXPECT_EQ(TakeAll(queue), Commands(9));
  EXPECT_EQ(queue.readIndex(), 4);
  EXPECT_EQ(queue.Front(), nullptr);
}

TEST(CommandQueue, SequenceIsQueuedWholeOrNotAtAll) {
  struct Case {
    const char* name;
    int alreadyPending;
    int sequenceLength;
    bool accepted;
  };
  const Case cases[] = {
      {"empty ring takes a Set sequence", 0, 9, true},
      {"exactly the last free places", 20, 9, true},
      {"one place short refuses the whole sequence", 21, 9, false},
      {"full ring refuses a single command", 29, 1, false},
      {"one free place takes a single command", 28, 1, true},
      {"never more than 29 at once", 0, 30, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CommandQueue queue;
    ASSERT_TRUE(queue.QueueCommands(Commands(c.alreadyPending, "$OLD")));
    const int writeBefore = queue.writeIndex();

    EXPECT_EQ(queue.QueueCommands(Commands(c.sequenceLength)), c.accepted);

    std::vector<std::string> expected = Commands(c.alreadyPending, "$OLD");
    if (c.accepted) {
      for (const auto& command : Commands(c.sequenceLength)) expected.push_back(command);
    } else {
      EXPECT_EQ(queue.writeIndex(), writeBefore);
    }
    // Refused or not, nothing pending was overwritten and the ring does not
    // look empty while it holds commands.
    EXPECT_EQ(TakeAll(queue), expected);
    EXPECT_FALSE(queue.AnySlotHoldsCommand());
  }
}

TEST(CommandQueue, RoomComesBackAsTheWorkerEmptiesSlots) {
  CommandQueue queue;
  ASSERT_TRUE(queue.QueueCommands(Commands(29)));
  ASSERT_FALSE(queue.QueueCommands({"$NT800,1"}));
  queue.PopFront();
  EXPECT_TRUE(queue.QueueCommands({"$NT800,1"}));
  EXPECT_FALSE(queue.QueueCommands({"$NT800,1"}));
}

TEST(CommandQueue, DrainsSeeTheSlotBeingSentUntilItIsEmptied) {
  CommandQueue queue;
  EXPECT_FALSE(queue.AnySlotHoldsCommand());
  ASSERT_TRUE(queue.QueueCommands({"$NT987,1"}));
  EXPECT_TRUE(queue.AnySlotHoldsCommand());
  // The worker changes the text in place while it sends; the slot still counts.
  *queue.Front() += "*31\r\n";
  EXPECT_TRUE(queue.AnySlotHoldsCommand());
  queue.PopFront();
  EXPECT_FALSE(queue.AnySlotHoldsCommand());
}

TEST(CommandQueue, ResetForgetsPendingCommands) {
  CommandQueue queue;
  ASSERT_TRUE(queue.QueueCommands(Commands(7)));
  queue.PopFront();
  queue.Reset();
  EXPECT_EQ(queue.readIndex(), 0);
  EXPECT_EQ(queue.writeIndex(), 0);
  EXPECT_FALSE(queue.AnySlotHoldsCommand());
  EXPECT_EQ(queue.Front(), nullptr);
  ASSERT_TRUE(queue.QueueCommands({"$NT800,1"}));
  EXPECT_EQ(TakeAll(queue), std::vector<std::string>{"$NT800,1"});
}

}  // namespace
}  // namespace brisko
