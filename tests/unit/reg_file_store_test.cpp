#include "platform/posix/reg_file_store.h"

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/reg_key.h"
#include "platform/memory/reg_text.h"

namespace ovalink {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;

const char* const kSettings = "SOFTWARE\\Quor\\1.5";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::uint8_t> Pattern(std::size_t size, int seed) {
  std::vector<std::uint8_t> data(size);
  for (std::size_t i = 0; i < size; ++i) data[i] = std::uint8_t(i * 13 + seed);
  return data;
}

// Sets or clears an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) setenv(name, value, 1); else unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_) setenv(name_, old_->c_str(), 1); else unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class RegFileStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ovalink-regfile-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/registry.reg";
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string dir_;
  std::string path_;
};

TEST_F(RegFileStoreTest, EveryChangeReachesTheFileAndLoadsBack) {
  const std::string nested = dir_ + "/a/b/registry.reg";
  const auto code = Pattern(1000, 1);
  {
    RegFileStore store(nested);
    RegKey(store, RegRoot::CurrentUser, kSettings + std::string("\\CodeFlags"));
    // Opening alone created the key, and that is already on disk.
    EXPECT_THAT(ReadFile(nested), HasSubstr("[HKEY_CURRENT_USER\\SOFTWARE\\Quor\\1.5\\CodeFlags]"));
    RegKey key(store, RegRoot::CurrentUser, kSettings);
    EXPECT_EQ(key.ReadDword("Enable", 1), 1u);
    key.WriteString("Quor", "C:\\Program Files\\\"Ovalink\"");
    key.WriteDword("Gone", 5);
    key.DeleteValue("Gone");
    RegKey(store, RegRoot::CurrentUser, kSettings + std::string("\\Codes1"))
        .WriteBinary("0", code.data(), 1000);
    EXPECT_TRUE(store.Persisting());
  }
  EXPECT_EQ(ListFolder(dir_ + "/a/b"), Sorted({"registry.reg", "registry.reg.lock"}));

  RegFileStore reloaded(nested);
  RegKey key(reloaded, RegRoot::CurrentUser, "software\\QUOR\\1.5");
  EXPECT_EQ(key.ReadDword("ENABLE", 7), 1u);
  std::vector<std::string> names;
  key.EnumValueNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"Enable", "Quor"}));
  RegType type = RegType::None;
  char text[64] = {};
  std::uint32_t size = sizeof text;
  RegHandle handle = 0;
  ASSERT_EQ(reloaded.CreateKey(RegRoot::CurrentUser, kSettings, &handle), kRegOk);
  ASSERT_EQ(reloaded.QueryValue(handle, "quor", &type,
                                reinterpret_cast<std::uint8_t*>(text), &size), kRegOk);
  reloaded.CloseKey(handle);
  EXPECT_EQ(type, RegType::String);
  const std::string quor = "C:\\Program Files\\\"Ovalink\"";
  EXPECT_EQ(std::string(text, size), quor + '\0');
  std::vector<std::uint8_t> back(1000);
  EXPECT_EQ(RegKey(reloaded, RegRoot::CurrentUser, kSettings + std::string("\\codes1"))
                .ReadBinary("0", back.data(), 1000), 0);
  EXPECT_EQ(back, code);
}

TEST_F(RegFileStoreTest, UnparsableFileIsKeptAsideAndTheStoreStartsEmpty) {
  const std::string garbage = "REGEDIT4\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Quor\\1.5]\r\n\"Port\"=dword:zz\r\n";
  WriteFile(path_, garbage);
  ::testing::internal::CaptureStderr();
  RegFileStore store(path_);
  const std::string message = ::testing::internal::GetCapturedStderr();

  std::vector<std::string> files = ListFolder(dir_);
  files.erase(std::remove(files.begin(), files.end(), "registry.reg.lock"), files.end());
  ASSERT_EQ(files.size(), 1u);
  EXPECT_THAT(files[0], MatchesRegex("registry\\.reg\\.corrupt-[0-9]{8}-[0-9]{6}"));
  const std::string aside = dir_ + "/" + files[0];
  EXPECT_EQ(ReadFile(aside), garbage);
  EXPECT_THAT(message, HasSubstr(path_));
  EXPECT_THAT(message, HasSubstr(aside));
  EXPECT_THAT(message, HasSubstr("line 3"));
  EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);

  RegKey key(store, RegRoot::CurrentUser, kSettings);
  EXPECT_EQ(key.ReadDword("Port", 0), 0u);  // defaults, and the first change saves again
  EXPECT_TRUE(store.Persisting());
  EXPECT_EQ(ReadFile(aside), garbage);
  RegistryNode root;
  EXPECT_TRUE(ParseRegText(ReadFile(path_), root, nullptr));

  // A second bad file in the same second gets a name of its own.
  WriteFile(path_, "not a registry file");
  ::testing::internal::CaptureStderr();
  RegFileStore again(path_);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(ListFolder(dir_).size(), 3u);  // both set aside, and the lock
  EXPECT_EQ(ReadFile(aside), garbage);
}

TEST_F(RegFileStoreTest, FailedSaveFailsTheChangeKeepsTheOldFileAndRecoversLater) {
  RegFileStore store(path_);
  RegKey key(store, RegRoot::CurrentUser, kSettings);
  const auto seed = Pattern(1000, 3);
  key.WriteBinary("Seed", seed.data(), 1000);  // room below the limit for the stderr capture
  const std::string before = ReadFile(path_);
  ASSERT_FALSE(before.empty());

  // A file-size limit makes the write of the temporary file fail part-way, as a full disk
  // would; it works for root too, unlike a read-only folder.
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = before.size() + 64;
  auto* previous = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const auto code = Pattern(1000, 2);
  ::testing::internal::CaptureStderr();
  const RegStatus big = key.WriteBinary("Big", code.data(), 1000);
  const RegStatus bigger = key.WriteBinary("Bigger", code.data(), 1000);
  const std::string message = ::testing::internal::GetCapturedStderr();
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, previous);

  // The caller hears of it, and what it reads back is what the file holds.
  EXPECT_EQ(big, kRegWriteFault);
  EXPECT_EQ(bigger, kRegWriteFault);
  std::vector<std::uint8_t> back(1000);
  EXPECT_EQ(key.ReadBinary("Big", back.data(), 1000), 1);
  EXPECT_EQ(key.ReadBinary("Seed", back.data(), 1000), 0);
  EXPECT_EQ(ReadFile(path_), before);
  EXPECT_EQ(ListFolder(dir_), Sorted({"registry.reg", "registry.reg.lock"}));
  EXPECT_FALSE(store.Persisting());
  EXPECT_THAT(store.FirstSaveFailure(), HasSubstr("File too large"));
  EXPECT_THAT(message, HasSubstr(path_));
  EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);  // once, not per change

  EXPECT_EQ(key.WriteBinary("Bigger", code.data(), 1000), kRegOk);
  EXPECT_TRUE(store.Persisting());
  EXPECT_THAT(store.FirstSaveFailure(), HasSubstr("File too large")) << "the run lost a change";
  RegFileStore reloaded(path_);
  RegKey again(reloaded, RegRoot::CurrentUser, kSettings);
  EXPECT_EQ(again.ReadBinary("Big", back.data(), 1000), 1);
  EXPECT_EQ(again.ReadBinary("Bigger", back.data(), 1000), 0);
  EXPECT_EQ(back, code);
}

TEST_F(RegFileStoreTest, DefaultPathFollowsOverrideThenXdgThenHome) {
  {
    ScopedEnv over("OVALINK_REGISTRY", (dir_ + "/custom/my.reg").c_str());
    ScopedEnv xdg("XDG_CONFIG_HOME", "/elsewhere");
    EXPECT_EQ(DefaultRegistryFilePath(), dir_ + "/custom/my.reg");
    RegFileStore store(DefaultRegistryFilePath());
    RegKey(store, RegRoot::CurrentUser, kSettings).WriteDword("Enable", 1);
    EXPECT_EQ(ListFolder(dir_ + "/custom"), Sorted({"my.reg", "my.reg.lock"}));
  }
  ScopedEnv over("OVALINK_REGISTRY", nullptr);
  ScopedEnv home("HOME", "/home/someone");
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(DefaultRegistryFilePath(), "/cfg/ovalink/registry.reg");
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "relative/cfg");
    EXPECT_EQ(DefaultRegistryFilePath(), "/home/someone/.config/ovalink/registry.reg");
  }
  ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
  EXPECT_EQ(DefaultRegistryFilePath(), "/home/someone/.config/ovalink/registry.reg");
}

TEST_F(RegFileStoreTest, TwoThreadsWritingAtOnceLoseNothing) {
  constexpr int kWrites = 60;
  {
    RegFileStore store(path_);
    auto writer = [&store](const std::string& subkey, int seed) {
      for (int i = 0; i < kWrites; ++i) {
        RegKey key(store, RegRoot::CurrentUser, kSettings + std::string("\\") + subkey);
        const auto data = Pattern(48, seed + i);
        key.WriteBinary(std::to_string(i), data.data(), 48);
        key.ReadDword("Shared" + std::to_string(i % 5), 0);
      }
    };
    std::thread a(writer, "Commands", 0);
    std::thread b(writer, "Codes1", 100);
    a.join();
    b.join();
  }
  RegFileStore reloaded(path_);
  for (const auto& [subkey, seed] : {std::pair<std::string, int>{"Commands", 0}, {"Codes1", 100}}) {
    RegKey key(reloaded, RegRoot::CurrentUser, kSettings + std::string("\\") + subkey);
    std::vector<std::string> names;
    key.EnumValueNames(names);
    EXPECT_EQ(names.size(), std::size_t(kWrites + 5)) << subkey;
    for (int i = 0; i < kWrites; ++i) {
      std::vector<std::uint8_t> data(48);
      ASSERT_EQ(key.ReadBinary(std::to_string(i), data.data(), 48), 0) << subkey << i;
      EXPECT_EQ(data, Pattern(48, seed + i)) << subkey << i;
    }
  }
  EXPECT_EQ(ListFolder(dir_), Sorted({"registry.reg", "registry.reg.lock"}));
}

}  // namespace
}  // namespace ovalink
