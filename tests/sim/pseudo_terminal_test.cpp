// The pseudo-terminal survives the tool closing and reopening its side, and
// the COM<n> entry is published at the first free number and removed only by
// its owner.
#include "sim/pseudo_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

namespace brisko {
namespace {

class TempDirectory {
 public:
  TempDirectory() {
    char pattern[] = "/tmp/brisko-sim-test-XXXXXX";
    path_ = ::mkdtemp(pattern);
  }
  ~TempDirectory() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

bool Exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

// Reads from a non-blocking descriptor until `wanted` bytes came or 10 s passed.
std::string ReadSome(int fd, std::size_t wanted) {
  std::string data;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (data.size() < wanted && std::chrono::steady_clock::now() < deadline) {
    pollfd watch{fd, POLLIN, 0};
    if (::poll(&watch, 1, 100) <= 0) continue;
    char buffer[256];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) data.append(buffer, static_cast<std::size_t>(n));
  }
  return data;
}

TEST(PseudoTerminalTest, CarriesBytesBothWaysAcrossACloseAndReopenOfTheToolsSide) {
  PseudoTerminal terminal;
  std::string error;
  ASSERT_TRUE(terminal.Open(error)) << error;
  for (int round = 0; round < 3; ++round) {
    const int tool = ::open(terminal.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(tool, 0);
    // Raw mode holds for every opener: the LF is not turned into CR LF, nothing echoes.
    ASSERT_EQ(::write(tool, "$NT800,1\n", 9), 9);
    EXPECT_EQ(ReadSome(terminal.masterFd(), 9), "$NT800,1\n");
    ASSERT_EQ(::write(terminal.masterFd(), "$NT6,A,B\r\n", 10), 10);
    EXPECT_EQ(ReadSome(tool, 10), "$NT6,A,B\r\n");
    ::close(tool);
    // The master does not hang up: the simulator's own slave descriptor holds it.
    pollfd watch{terminal.masterFd(), POLLIN, 0};
    EXPECT_EQ(::poll(&watch, 1, 0), 0) << "round " << round;
  }
}

TEST(PseudoTerminalTest, CountsWhatTheToolHasNotReadYet) {
  PseudoTerminal terminal;
  std::string error;
  ASSERT_TRUE(terminal.Open(error)) << error;
  EXPECT_EQ(terminal.UnreadByTool(), 0);
  const std::string line = "$GPRMC,101500.00,A*00\r\n";
  for (int i = 0; i < 10; ++i) {
    ASSERT_EQ(::write(terminal.masterFd(), line.data(), line.size()), static_cast<ssize_t>(line.size()));
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (terminal.UnreadByTool() < static_cast<int>(10 * line.size()) && std::chrono::steady_clock::now() < deadline) {
    ::usleep(1000);
  }
  EXPECT_EQ(terminal.UnreadByTool(), static_cast<int>(10 * line.size()));
  const int tool = ::open(terminal.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(tool, 0);
  EXPECT_EQ(ReadSome(tool, 10 * line.size()).size(), 10 * line.size());
  EXPECT_EQ(terminal.UnreadByTool(), 0);
  ::close(tool);
}

TEST(PortEntryTest, TakesTheFirstFreeNumberAndReclaimsOnlyStaleEntries) {
  TempDirectory temp;
  const std::string directory = temp.path() + "/nested/ports";
  std::string error;
  {
    PortEntry first;
    ASSERT_TRUE(first.Publish(directory, "/dev/null", 0, error)) << error;
    EXPECT_EQ(first.portNumber(), 1);
    EXPECT_EQ(first.path(), directory + "/COM1");

    std::ofstream(directory + "/COM2") << "someone else's";
    ASSERT_EQ(::symlink("/nonexistent/pts/99", (directory + "/COM3").c_str()), 0);
    PortEntry second;
    ASSERT_TRUE(second.Publish(directory, "/dev/zero", 0, error)) << error;
    EXPECT_EQ(second.portNumber(), 3);  // COM1 live, COM2 a real file, COM3 stale

    PortEntry taken;
    EXPECT_FALSE(taken.Publish(directory, "/dev/null", 2, error));
    EXPECT_NE(error.find("COM2 is taken"), std::string::npos) << error;

    PortEntry requested;
    ASSERT_TRUE(requested.Publish(directory, "/dev/null", 17, error)) << error;
    EXPECT_EQ(requested.portNumber(), 17);
  }
  EXPECT_FALSE(Exists(directory + "/COM1"));
  EXPECT_FALSE(Exists(directory + "/COM3"));
  EXPECT_FALSE(Exists(directory + "/COM17"));
  EXPECT_TRUE(Exists(directory + "/COM2"));
}

TEST(PortEntryTest, LeavesAnEntryThatNoLongerPointsAtItsDevice) {
  TempDirectory temp;
  std::string error;
  PortEntry entry;
  ASSERT_TRUE(entry.Publish(temp.path(), "/dev/null", 0, error)) << error;
  // Someone replaced the entry (a second simulator after ours was thought dead).
  ::unlink(entry.path().c_str());
  ASSERT_EQ(::symlink("/dev/zero", entry.path().c_str()), 0);
  const std::string path = entry.path();
  entry.Remove();
  EXPECT_TRUE(Exists(path));
}

}  // namespace
}  // namespace brisko
