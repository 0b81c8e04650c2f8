#include "app/command_line.h"

#include <gtest/gtest.h>

namespace ovalink {
namespace {

TEST(CommandLineTest, AFirstWordOfLettersDecidesByItsFirstLetter) {
  for (const char* install : {"I", "i", "Install", "install me", "I\tD:\\x", "ix"}) {
    EXPECT_EQ(ActionForCommandLine(install), StartAction::InstallDriver) << install;
  }
  for (const char* remove : {"D", "d", "delete", "Debug", "Dx", "d file.mp3"}) {
    EXPECT_EQ(ActionForCommandLine(remove), StartAction::RemoveDriver) << remove;
  }
  // A switch written with a dash or a slash, or a blank before the letter, is a normal run.
  for (const char* run : {"", "-i", "/i", "-d", "/D", " I", "x", "1", "Quor"}) {
    EXPECT_EQ(ActionForCommandLine(run), StartAction::Run) << '"' << run << '"';
  }
  // A file dropped on the program, its path unquoted: a word with anything but letters.
  for (const char* run : {"D:\\Music\\song.mp3", "d.mp3", "D:", "i-x", "I2", "Install!",
                          "d\\x", "D\xE9" "bug", "delete_me"}) {
    EXPECT_EQ(ActionForCommandLine(run), StartAction::Run) << '"' << run << '"';
  }
  EXPECT_EQ(ActionForCommandLine(nullptr), StartAction::Run);
}

}  // namespace
}  // namespace ovalink
