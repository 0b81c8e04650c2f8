// quor-sim used as a hostile but fair user would: things that are not files given as the
// registry or the remote, two runs on one file, full disks, links, read-only and damaged
// files, output that cannot be written, options given wrongly.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/quor_sim_runner.h"
#include "support/scratch_dir.h"

namespace ovalink {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using test::LineCount;
using test::QuorSim;
using test::SlurpFile;

class QuorSimHostileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = test::FreshTestDirectory(OVALINK_BINARY_DIR, "hostile_");
    file = dir / "R.reg";
  }
  void TearDown() override { fs::remove_all(dir); }

  static std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }
  test::QuorSimResult Train(const std::string& key, int button, const fs::path& registry,
                            const std::string& prefix = "") {
    return QuorSim("train --remote builtin:rc5 --key " + key + " --button " +
                       std::to_string(button) + " --registry " + Quoted(registry),
                   prefix);
  }
  // Whether the file's Codes1 key holds a value for the button.
  static bool HasCode(const fs::path& registry, int button) {
    const std::string text = SlurpFile(registry.string());
    const std::size_t key = text.find("\\Codes1]\r\n");
    if (key == std::string::npos) return false;
    const std::size_t end = text.find("\r\n\r\n", key);
    return text.substr(key, end - key).find("\r\n\"" + std::to_string(button) + "\"=hex:") !=
           std::string::npos;
  }
  // A refusal: status 2, one line on stderr saying `what`, nothing on stdout.
  static void ExpectRefused(const test::QuorSimResult& r, const std::string& what) {
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(LineCount(r.err), 1u) << r.err;
    EXPECT_THAT(r.err, HasSubstr(what));
  }

  fs::path dir;
  fs::path file;
};

TEST_F(QuorSimHostileTest, DeviceNodeGivenAsTheRegistryIsLeftAlone) {
  const fs::path node = dir / "x" / "R.reg";
  fs::create_directories(node.parent_path());
  if (::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
    GTEST_SKIP() << "mknod needs root";
  }
  ExpectRefused(QuorSim("press --remote builtin:nec --key KEY_PLAY --registry " + Quoted(node)),
                "not a regular file");
  EXPECT_TRUE(fs::is_character_file(node));
  EXPECT_EQ(std::distance(fs::directory_iterator(node.parent_path()), {}), 1);
}

TEST_F(QuorSimHostileTest, TwoTrainsAtOnceKeepBothButtons) {
  const std::string q = "'" + test::QuorSimBinary() + "' ";
  const std::string reg = " --registry " + Quoted(file);
  const std::string both =
      "(" + q + "train --remote builtin:rc5 --key KEY_PLAY --button 3" + reg + " >/dev/null; echo $? >" +
      Quoted(dir / "a.rc") + ") & (" + q + "train --remote builtin:rc5 --key KEY_STOP --button 0" +
      reg + " >/dev/null; echo $? >" + Quoted(dir / "b.rc") + ") & wait";
  ASSERT_EQ(std::system(both.c_str()), 0);
  EXPECT_EQ(SlurpFile((dir / "a.rc").string()), "0\n");
  EXPECT_EQ(SlurpFile((dir / "b.rc").string()), "0\n");
  EXPECT_TRUE(HasCode(file, 3));
  EXPECT_TRUE(HasCode(file, 0));
}

TEST_F(QuorSimHostileTest, RegistryThatCannotBeSavedFailsTheRunWithOneLine) {
  ExpectRefused(Train("KEY_PLAY", 3, dir / "sub" / ""), "names a folder");
  ExpectRefused(QuorSim("train --remote builtin:rc5 --key KEY_PLAY --button 3 --registry ''"),
                "--registry needs a file name");
  ExpectRefused(QuorSim("demo --registry ''"), "--registry needs a file name");

  ASSERT_EQ(Train("KEY_PLAY", 3, file).status, 0);
  const std::string trained = SlurpFile(file.string());
  // A disk that fills up half-way: the command table fits, a code does not.
  const std::string full = "trap '' XFSZ; ulimit -f " + std::to_string(trained.size() / 1024 + 1);
  const auto r = Train("KEY_STOP", 0, file, full);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(LineCount(r.err), 1u) << r.err;
  EXPECT_THAT(r.err, HasSubstr("cannot save the registry file"));
  EXPECT_THAT(r.out, HasSubstr("NotTrained"));
  EXPECT_FALSE(HasCode(file, 0));
  EXPECT_TRUE(HasCode(file, 3));
}

TEST_F(QuorSimHostileTest, SymlinkedRegistryIsWrittenThroughAndReadOnlyOneRefused) {
  fs::create_directories(dir / "real");
  const fs::path target = dir / "real" / "target.reg";
  ASSERT_EQ(Train("KEY_PLAY", 3, target).status, 0);
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  fs::create_symlink("real/target.reg", file);
  ASSERT_EQ(Train("KEY_STOP", 0, file).status, 0);
  EXPECT_TRUE(fs::is_symlink(file));
  EXPECT_TRUE(HasCode(target, 0));
  EXPECT_TRUE(HasCode(target, 3));
  struct stat info;
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
  const std::string before = SlurpFile(target.string());
  ExpectRefused(Train("KEY_PAUSE", 1, file), "read-only");
  EXPECT_EQ(SlurpFile(target.string()), before);
}

TEST_F(QuorSimHostileTest, DamagedRegistryIsSetAsideOrItsIgnoredValuesNamed) {
  ASSERT_EQ(Train("KEY_PLAY", 3, file).status, 0);
  const std::string whole = SlurpFile(file.string());
  const std::string cut = whole.substr(0, whole.size() * 2 / 3);
  ASSERT_NE(cut.back(), '\n');
  std::ofstream(file, std::ios::binary) << cut;
  const auto r = QuorSim("press --remote builtin:rc5 --key KEY_PLAY --registry " + Quoted(file));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("cut off"));
  EXPECT_THAT(r.out, HasSubstr("nothing recognised"));
  int asides = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().filename().string().find("R.reg.corrupt-") != 0) continue;
    ++asides;
    EXPECT_EQ(SlurpFile(entry.path().string()), cut);
  }
  EXPECT_EQ(asides, 1);

  // Parsable but odd: a code one byte short, and a name too long for the program to list.
  std::string shortCode = "00";
  for (int i = 1; i < 999; ++i) shortCode += ",00";
  std::ofstream(file, std::ios::binary)
      << "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Quor\\1.5\\Codes1]\r\n\"5\"=hex:" << shortCode
      << "\r\n\"" << std::string(1200, 'n') << "\"=dword:00000000\r\n\"7\"=dword:00000000\r\n\r\n";
  const auto odd = QuorSim("press --remote builtin:rc5 --key KEY_PLAY --registry " + Quoted(file));
  EXPECT_EQ(odd.status, 0) << odd.err;
  EXPECT_THAT(odd.err, HasSubstr("Codes1 value \"5\" is 999 bytes"));
  EXPECT_THAT(odd.err, HasSubstr("a value name of 1200 characters ends the listing; it and the 1 values after it are ignored"));
}

TEST_F(QuorSimHostileTest, ThingsThatAreNotFilesAreRefusedAtOnce) {
  const fs::path fifo = dir / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ExpectRefused(QuorSim("press --remote builtin:nec --key KEY_PLAY --registry " + Quoted(fifo)),
                "not a regular file");
  ExpectRefused(QuorSim("keys --remote " + Quoted(fifo)), "not a regular file");

  // Memory stays small: what is too large is refused before it is read.
  const std::string small = "ulimit -v 200000";
  ExpectRefused(QuorSim("keys --remote /dev/zero", small), "not a regular file");
  const fs::path huge = dir / "huge.conf";
  std::ofstream(huge) << "begin remote\n";
  fs::resize_file(huge, 100u << 20);
  ExpectRefused(QuorSim("keys --remote " + Quoted(huge), small), "larger than 8 MiB");
  ExpectRefused(QuorSim("keys --remote " + Quoted(dir)), "is a folder");
  ExpectRefused(QuorSim("keys --remote /proc/self/mem"), "cannot read");

  // The longest signal the options allow is written as it is made, not gathered first.
  const std::string streamed = small + "; timeout 60 '" + test::QuorSimBinary() +
                               "' signal --remote builtin:nec --key KEY_OK --hold 600000 --presses 10000"
                               " | head -c 1000000 | wc -c >" + Quoted(dir / "bytes");
  ASSERT_NE(std::system(streamed.c_str()), -1);
  EXPECT_EQ(SlurpFile((dir / "bytes").string()), "1000000\n");
}

TEST_F(QuorSimHostileTest, RemoteFileEncodingsAreTakenOrNamed) {
  const std::string remote =
      "begin remote\n name x\n bits 8\n flags SPACE_ENC\n one 500 500\n zero 500 1500\n"
      " begin codes\n  KEY_A 0x1\n end codes\nend remote\n";
  const fs::path bom = dir / "bom.conf";
  std::ofstream(bom, std::ios::binary) << "\xEF\xBB\xBF" << remote;
  const auto taken = QuorSim("keys --remote " + Quoted(bom));
  EXPECT_EQ(taken.status, 0) << taken.err;
  EXPECT_EQ(taken.out, "KEY_A\n");

  const fs::path utf16 = dir / "utf16.conf";
  {
    std::ofstream out(utf16, std::ios::binary);
    out << "\xFF\xFE";
    for (char c : remote) out << c << '\0';
  }
  ExpectRefused(QuorSim("keys --remote " + Quoted(utf16)), "UTF-16");

  const fs::path nul = dir / "nul.conf";
  std::string withNul = remote;
  withNul.insert(withNul.find("KEY_A") + 3, 1, '\0');
  std::ofstream(nul, std::ios::binary) << withNul;
  ExpectRefused(QuorSim("keys --remote " + Quoted(nul)), "nul.conf:8: NUL byte");
}

TEST_F(QuorSimHostileTest, OutputThatCannotBeWrittenFailsWithAMessage) {
  const auto listed = QuorSim("remotes", "", "/dev/full");
  EXPECT_EQ(listed.status, 2);
  EXPECT_EQ(listed.err, "quor-sim: cannot write to standard output\n");

  const auto r = QuorSim("train --remote builtin:rc5 --key KEY_PLAY --button 3 --registry " + Quoted(file),
                         "", "/dev/full");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(LineCount(r.err), 1u) << r.err;
  EXPECT_FALSE(HasCode(file, 3)) << "a run that could not be followed trained nothing";
}

TEST_F(QuorSimHostileTest, OptionsGivenWronglyAreRefused) {
  ExpectRefused(QuorSim("bench --remote builtin:nec --json --json"), "--json given twice");
  ExpectRefused(QuorSim("bench --remote --json"), "--remote needs a value");
  ExpectRefused(QuorSim("bench --remote builtin:nec --json=yes"), "--json takes no value");
  ExpectRefused(QuorSim("help extra --bogus"), "help takes no arguments");
  ExpectRefused(QuorSim("keys --remote \"$(printf 'a\\033[2Jb')\""), "a\\x1B[2Jb");
}

TEST_F(QuorSimHostileTest, RegistryThatCannotBeOpenedGivesOneLine) {
  std::ofstream(dir / "plain") << "x";
  for (const fs::path& registry :
       {dir, dir / "plain" / "R.reg", dir / std::string(300, 'n'), fs::path("/proc/self/mem")}) {
    SCOPED_TRACE(registry);
    const auto r = QuorSim("press --remote builtin:nec --key KEY_PLAY --registry " + Quoted(registry));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(LineCount(r.err), 1u) << r.err;
  }
}

TEST_F(QuorSimHostileTest, TemporariesOfAKilledRunAreCleanedOnTheNextSave) {
  std::ofstream(dir / "R.reg.tmp-k1lLed") << "REGEDIT4\r\n[HKEY_CURRENT_USER";
  ASSERT_EQ(Train("KEY_PLAY", 3, file).status, 0);
  EXPECT_FALSE(fs::exists(dir / "R.reg.tmp-k1lLed"));
}

}  // namespace
}  // namespace ovalink
