#include "app/command_line.h"

#include <gtest/gtest.h>

namespace ovalink {
namespace {

TEST(CommandLineTest, OnlyTheFirstCharacterDecides) {
  for (const char* install : {"I", "i", "Install", "install me", "i-x"}) {
    EXPECT_EQ(ActionForCommandLine(install), StartAction::InstallDriver) << install;
  }
  for (const char* remove : {"D", "d", "delete", "Debug", "Dx"}) {
    EXPECT_EQ(ActionForCommandLine(remove), StartAction::RemoveDriver) << remove;
  }
  // A switch written with a dash or a slash, or a blank before the letter, is a normal run.
  for (const char* run : {"", "-i", "/i", "-d", "/D", " I", "x", "1", "Quor"}) {
    EXPECT_EQ(ActionForCommandLine(run), StartAction::Run) << '"' << run << '"';
  }
  EXPECT_EQ(ActionForCommandLine(nullptr), StartAction::Run);
}

}  // namespace
}  // namespace ovalink
