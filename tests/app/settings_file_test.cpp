// The settings file on its own: what a first line gives as port number, and
// that writing stores exactly the text.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "app/settings_file.h"

namespace brisko {
namespace {

class SettingsFileTest : public ::testing::Test {
 protected:
  SettingsFileTest() {
    char pattern[] = "/tmp/brisko-settings-XXXXXX";
    directory_ = ::mkdtemp(pattern);
    path_ = directory_ + "/" + kSettingsFileName;
  }
  ~SettingsFileTest() override {
    std::remove(path_.c_str());
    ::rmdir(path_.c_str());
    ::rmdir(directory_.c_str());
  }
  void Store(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string Stored() {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::string directory_;
  std::string path_;
};

TEST_F(SettingsFileTest, ThePortNumberIsTheFirstLineWithoutItsLineEnd) {
  struct Case {
    const char* name;
    std::string content;
    std::string portNumber;
  } const cases[] = {
      {"written by the tool", "3", "3"},
      {"two digits", "12", "12"},
      {"empty file", "", ""},
      {"hand-edited, LF", "3\n", "3"},
      {"hand-edited, CR LF", "3\r\n", "3"},
      {"only the first line counts", "5\n7\n", "5"},
      {"not checked here", "12abc", "12abc"},
      {"not checked here either", "COM4", "COM4"},
      {"an empty first line", "\n4", ""},
      {"at most 127 characters", std::string(200, '9'), std::string(127, '9')},
  };
  for (const Case& c : cases) {
    Store(c.content);
    EXPECT_EQ(ReadSettingsFile(path_), c.portNumber) << c.name;
  }
}

TEST_F(SettingsFileTest, AMissingOrUnreadableFileGivesAnEmptyPortNumber) {
  EXPECT_EQ(ReadSettingsFile(path_), "");
  ASSERT_EQ(::mkdir(path_.c_str(), 0700), 0);  // a directory in its place
  EXPECT_EQ(ReadSettingsFile(path_), "");
}

TEST_F(SettingsFileTest, WritingStoresExactlyTheTextWithoutALineEnd) {
  for (const std::string& portNumber : {std::string("5"), std::string("17"), std::string(), std::string("3\n")}) {
    Store("previous content that is longer");
    WriteSettingsFile(portNumber, path_);
    EXPECT_EQ(Stored(), portNumber);
  }
}

TEST_F(SettingsFileTest, AFileThatCannotBeWrittenIsLeftSilently) {
  ASSERT_EQ(::mkdir(path_.c_str(), 0700), 0);
  WriteSettingsFile("5", path_);
  struct stat info {};
  ASSERT_EQ(::stat(path_.c_str(), &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));
}

}  // namespace
}  // namespace brisko
