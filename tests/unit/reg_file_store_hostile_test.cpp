// The registry file store under hostile but fair conditions: things that are not files,
// links, read-only files, cut-off files, leftovers of killed runs, two writers at once.

#include "platform/posix/reg_file_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <string>
#include <vector>

#include "app/reg_key.h"
#include "support/scratch_dir.h"

namespace ovalink {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const std::string kCodes1 = "SOFTWARE\\Quor\\1.5\\Codes1";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::uint8_t> Code(int seed) {
  std::vector<std::uint8_t> data(1000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = std::uint8_t((i + std::size_t(seed)) % 2);
  return data;
}

RegStatus WriteCode(RegistryStore& store, const std::string& name, int seed) {
  const auto code = Code(seed);
  return RegKey(store, RegRoot::CurrentUser, kCodes1).WriteBinary(name, code.data(), 1000);
}

bool HasCode(RegistryStore& store, const std::string& name) {
  std::vector<std::uint8_t> back(1000);
  return RegKey(store, RegRoot::CurrentUser, kCodes1).ReadBinary(name, back.data(), 1000) == 0;
}

class RegFileHostileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = test::FreshTestDirectory(fs::temp_directory_path(),
                                   "ovalink-hostile-" + std::to_string(::getpid()) + "-");
    file = dir / "R.reg";
  }
  void TearDown() override { fs::remove_all(dir); }

  // A store that keeps quiet: the test reads Refusal() and the notices itself.
  std::unique_ptr<RegFileStore> Open(const fs::path& path) {
    ::testing::internal::CaptureStderr();
    auto store = std::make_unique<RegFileStore>(path.string(), RegFileStore::Reporting::ToCaller);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    return store;
  }

  fs::path dir;
  fs::path file;
};

TEST_F(RegFileHostileTest, DeviceNodesAreRefusedAndLeftWhereTheyAre) {
  // A link to /dev/null works unprivileged; a node of our own needs root.
  fs::create_symlink("/dev/null", file);
  auto linked = Open(file);
  EXPECT_THAT(linked->Refusal(), HasSubstr("not a regular file"));
  EXPECT_NE(WriteCode(*linked, "3", 1), kRegOk);
  EXPECT_TRUE(fs::is_symlink(file));
  EXPECT_EQ(fs::read_symlink(file), "/dev/null");
  EXPECT_TRUE(fs::is_character_file("/dev/null"));

  const fs::path node = dir / "node.reg";
  if (::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
    GTEST_SKIP() << "mknod needs root: " << std::strerror(errno);
  }
  auto store = Open(node);
  EXPECT_THAT(store->Refusal(), HasSubstr("not a regular file"));
  EXPECT_NE(WriteCode(*store, "3", 1), kRegOk);
  EXPECT_TRUE(fs::is_character_file(node));
  for (const auto& entry : fs::directory_iterator(dir)) {
    EXPECT_EQ(entry.path().filename().string().find(".corrupt"), std::string::npos);
  }
}

TEST_F(RegFileHostileTest, FifoIsRefusedWithoutWaitingForAWriter) {
  ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
  auto opening = std::async(std::launch::async, [&] { return Open(file); });
  const bool quick = opening.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
  if (!quick) {
    // Let a blocked reader go, so that the failure is reported rather than hung.
    const int writer = ::open(file.c_str(), O_WRONLY);
    ::close(writer);
  }
  ASSERT_TRUE(quick) << "opening a FIFO as the registry blocked";
  EXPECT_THAT(opening.get()->Refusal(), HasSubstr("not a regular file"));
  EXPECT_TRUE(fs::is_fifo(file));
}

TEST_F(RegFileHostileTest, TwoStoresOnOneFileKeepEachOthersChanges) {
  // Two processes' stores, both loaded before either changes anything.
  auto first = Open(file);
  auto second = Open(file);
  ASSERT_EQ(WriteCode(*first, "3", 1), kRegOk);
  ASSERT_EQ(WriteCode(*second, "0", 2), kRegOk);
  ASSERT_EQ(RegKey(*first, RegRoot::CurrentUser, kCodes1).DeleteValue("missing"), kRegNotFound);
  ASSERT_EQ(WriteCode(*first, "5", 3), kRegOk);
  auto reloaded = Open(file);
  EXPECT_TRUE(HasCode(*reloaded, "3"));
  EXPECT_TRUE(HasCode(*reloaded, "0"));
  EXPECT_TRUE(HasCode(*reloaded, "5"));
  EXPECT_TRUE(HasCode(*second, "0"));
}

TEST_F(RegFileHostileTest, SymlinkedFileIsWrittenThroughAndKeepsItsMode) {
  fs::create_directories(dir / "real");
  const fs::path target = dir / "real" / "target.reg";
  WriteFile(target, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Quor\\1.5]\r\n\"Port\"=dword:000003f8\r\n\r\n");
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  fs::create_symlink("real/target.reg", file);
  {
    auto store = Open(file);
    ASSERT_EQ(store->Refusal(), "");
    EXPECT_EQ(RegKey(*store, RegRoot::CurrentUser, "SOFTWARE\\Quor\\1.5").ReadDword("Port", 0), 0x3F8u);
    ASSERT_EQ(WriteCode(*store, "3", 1), kRegOk);
  }
  EXPECT_TRUE(fs::is_symlink(file));
  EXPECT_THAT(ReadFile(target), HasSubstr("\"3\"=hex:"));
  struct stat info;
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  // A link to a file not yet there: the file appears where the link points.
  const fs::path dangling = dir / "new.reg";
  fs::create_symlink("real/new.reg", dangling);
  ASSERT_EQ(WriteCode(*Open(dangling), "1", 1), kRegOk);
  EXPECT_TRUE(fs::is_symlink(dangling));
  EXPECT_TRUE(fs::is_regular_file(dir / "real" / "new.reg"));
}

TEST_F(RegFileHostileTest, ReadOnlyFileIsReadButNeverReplaced) {
  const std::string content =
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Quor\\1.5]\r\n\"Port\"=dword:000002f8\r\n\r\n";
  WriteFile(file, content);
  ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
  auto store = Open(file);
  EXPECT_THAT(store->Refusal(), HasSubstr("read-only"));
  EXPECT_FALSE(store->Persisting());
  RegKey key(*store, RegRoot::CurrentUser, "SOFTWARE\\Quor\\1.5");
  EXPECT_EQ(key.ReadDword("Port", 0), 0x2F8u);
  EXPECT_EQ(key.WriteDword("Port", 0x3F8), kRegAccessDenied);
  EXPECT_EQ(key.ReadDword("Port", 0), 0x2F8u);
  EXPECT_EQ(ReadFile(file), content);
  struct stat info;
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0444u);
}

TEST_F(RegFileHostileTest, FileCutOffMidLineIsSetAsideWhole) {
  {
    auto store = Open(file);
    ASSERT_EQ(WriteCode(*store, "3", 1), kRegOk);
    RegKey(*store, RegRoot::CurrentUser, "SOFTWARE\\Quor\\1.5\\CodeFlags").WriteDword("3", 1);
  }
  const std::string whole = ReadFile(file);
  // Cut inside the last line, "dword:00000001": it would read as another number.
  const std::string cut = whole.substr(0, whole.rfind("dword:") + 9);
  WriteFile(file, cut);
  auto store = Open(file);
  EXPECT_EQ(store->Refusal(), "");
  const std::vector<std::string> notices = store->TakeNotices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_THAT(notices[0], HasSubstr("cut off"));
  int asides = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().filename().string().find("R.reg.corrupt-") == 0) {
      ++asides;
      EXPECT_EQ(ReadFile(entry.path()), cut);
    }
  }
  EXPECT_EQ(asides, 1);
  EXPECT_FALSE(HasCode(*store, "3"));
}

TEST_F(RegFileHostileTest, SaveRemovesTemporariesOfKilledRunsOnly) {
  WriteFile(dir / "R.reg.tmp-Ab3dE9", "half a file");
  WriteFile(dir / "R.reg.tmp-notours", "someone else's");
  WriteFile(dir / "other.reg.tmp-Ab3dE9", "another registry's");
  ASSERT_EQ(WriteCode(*Open(file), "3", 1), kRegOk);
  EXPECT_FALSE(fs::exists(dir / "R.reg.tmp-Ab3dE9"));
  EXPECT_TRUE(fs::exists(dir / "R.reg.tmp-notours"));
  EXPECT_TRUE(fs::exists(dir / "other.reg.tmp-Ab3dE9"));
}

TEST_F(RegFileHostileTest, PathsThatCannotBeAFileAreRefusedWithOneReason) {
  WriteFile(dir / "plain", "x");
  fs::create_directories(dir / "folder");
  const std::string longName(300, 'n');
  const struct {
    fs::path path;
    const char* reason;
  } cases[] = {
      {"", "no registry file named"},
      {dir / "sub" / "", "names a folder"},
      {dir / "folder", "is a folder"},
      {dir / "plain" / "R.reg", "Not a directory"},
      {dir / longName, "File name too long"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    auto store = Open(c.path);
    EXPECT_THAT(store->Refusal(), HasSubstr(c.reason));
    EXPECT_EQ(store->Refusal().find('\n'), std::string::npos);
    EXPECT_NE(WriteCode(*store, "3", 1), kRegOk);
  }
  EXPECT_FALSE(fs::exists(dir / "sub"));
}

TEST_F(RegFileHostileTest, HugeFileIsRefusedUnread) {
  {
    std::ofstream out(file, std::ios::binary);
    out << "REGEDIT4\r\n";
  }
  fs::resize_file(file, RegFileStore::kMaxFileBytes + 1);  // sparse: no disk used
  auto store = Open(file);
  EXPECT_THAT(store->Refusal(), HasSubstr("larger than 64 MiB"));
  EXPECT_EQ(fs::file_size(file), RegFileStore::kMaxFileBytes + 1);
}

}  // namespace
}  // namespace ovalink
