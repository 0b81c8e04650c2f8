// RegKey, the autostart entry and PathBesideProgram over the real (Wine) registry.

#include "platform/win32/win32_registry_store.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/autostart.h"
#include "platform/path_beside_program.h"
#include "app/reg_key.h"

namespace ovalink {
namespace {

const char* const kTestKey = "SOFTWARE\\OvalinkTest\\RegKey";
const char* const kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

struct RawValue {
  LONG status = ERROR_FILE_NOT_FOUND;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

// Straight from advapi32, bypassing everything under test.
RawValue QueryRaw(const std::string& path, const std::string& name) {
  RawValue value;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return value;
  DWORD size = 0;
  value.status = RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size);
  if (value.status == ERROR_SUCCESS) {
    value.data.resize(size);
    value.status =
        RegQueryValueExA(key, name.c_str(), nullptr, &value.type, value.data.data(), &size);
  }
  RegCloseKey(key);
  return value;
}

std::vector<BYTE> Dword(DWORD v) { return {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)}; }

class Win32RegKeyTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }

  Win32RegistryStore store_;
};

TEST_F(Win32RegKeyTest, OpenCreatesTheKeyAndIntegerReadsWriteTheirDefaultBack) {
  const std::string path = std::string(kTestKey) + "\\Quor\\1.5";
  RegKey key(store_, RegRoot::CurrentUser, path);
  ASSERT_TRUE(key.IsOpen());
  HKEY check = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &check), ERROR_SUCCESS);
  RegCloseKey(check);

  EXPECT_EQ(key.ReadDword("MinReads", 10), 10u);
  EXPECT_EQ(QueryRaw(path, "MinReads").type, DWORD(REG_DWORD));
  EXPECT_EQ(QueryRaw(path, "MinReads").data, Dword(10));
  EXPECT_EQ(key.ReadDword("MinReads", 99), 10u);

  // Another type, or a longer value, counts as missing and is replaced by the default.
  key.WriteString("Enable", "0");
  EXPECT_EQ(key.ReadDword("Enable", 1), 1u);
  EXPECT_EQ(QueryRaw(path, "Enable").type, DWORD(REG_DWORD));
  EXPECT_EQ(QueryRaw(path, "Enable").data, Dword(1));
  const BYTE eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  key.WriteBinary("Limit", eight, sizeof eight);
  EXPECT_EQ(key.ReadDword("Limit", 2), 2u);
  EXPECT_EQ(QueryRaw(path, "Limit").data, Dword(2));

  key.WriteString("Quor", "C:\\a\\Quor.exe");
  const RawValue text = QueryRaw(path, "Quor");
  EXPECT_EQ(text.type, DWORD(REG_SZ));
  EXPECT_EQ(std::string(text.data.begin(), text.data.end()), std::string("C:\\a\\Quor.exe") + '\0');
}

TEST_F(Win32RegKeyTest, BinaryReadsSucceedOnlyAtTheExactSize) {
  RegKey key(store_, RegRoot::CurrentUser, std::string(kTestKey) + "\\Codes1");
  std::vector<BYTE> data(1001);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = BYTE(i * 7);
  ASSERT_EQ(key.WriteBinary("999", data.data(), 999), kRegOk);
  ASSERT_EQ(key.WriteBinary("1000", data.data(), 1000), kRegOk);
  ASSERT_EQ(key.WriteBinary("1001", data.data(), 1001), kRegOk);
  key.WriteDword("dword", 1);
  std::vector<BYTE> buffer(1000);
  EXPECT_EQ(key.ReadBinary("999", buffer.data(), 1000), 1);
  EXPECT_EQ(key.ReadBinary("1001", buffer.data(), 1000), 1);
  EXPECT_EQ(key.ReadBinary("dword", buffer.data(), 1000), 1);
  EXPECT_EQ(key.ReadBinary("missing", buffer.data(), 1000), 1);
  EXPECT_EQ(key.ReadBinary("1000", buffer.data(), 1000), 0);
  EXPECT_EQ(buffer, std::vector<BYTE>(data.begin(), data.begin() + 1000));
}

TEST_F(Win32RegKeyTest, EnumerationStopsAtA999CharacterNameAndDeleteRemoves) {
  RegKey key(store_, RegRoot::CurrentUser, std::string(kTestKey) + "\\Commands");
  // Sorted and creation order agree, so this holds for Wine (sorted) and Windows alike.
  const std::string fits = "0" + std::string(997, 'x');
  key.WriteDword(fits, 0);
  key.WriteDword("1", 0);
  key.WriteDword(std::string(999, 'a'), 0);
  key.WriteDword("z", 0);
  std::vector<std::string> names{"stale"};
  key.EnumValueNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{fits, "1"}));

  EXPECT_EQ(key.DeleteValue("1"), kRegOk);
  EXPECT_EQ(key.DeleteValue("1"), kRegNotFound);
  EXPECT_EQ(QueryRaw(std::string(kTestKey) + "\\Commands", "1").status, ERROR_FILE_NOT_FOUND);
  key.EnumValueNames(names);
  EXPECT_EQ(names, std::vector<std::string>{fits});
  EXPECT_EQ(key.Close(), kRegOk);
  key.EnumValueNames(names);  // no handle: the list is left as it was
  EXPECT_EQ(names, std::vector<std::string>{fits});
}

TEST_F(Win32RegKeyTest, OpeningForReadingReadsRefusesChangesAndCreatesNothing) {
  const std::string path = std::string(kTestKey) + "\\Codes1";
  RegKey(store_, RegRoot::CurrentUser, path).WriteDword("5", 7);
  RegHandle handle = 0;
  ASSERT_EQ(store_.OpenKeyForReading(RegRoot::CurrentUser, path, &handle), kRegOk);
  std::uint8_t data[4] = {};
  std::uint32_t size = sizeof data;
  RegType type = RegType::None;
  EXPECT_EQ(store_.QueryValue(handle, "5", &type, data, &size), kRegOk);
  EXPECT_EQ(data[0], 7);
  EXPECT_EQ(store_.SetValue(handle, "5", RegType::Dword, data, 4), kRegAccessDenied);
  EXPECT_EQ(store_.DeleteValue(handle, "5"), kRegAccessDenied);
  EXPECT_EQ(store_.CloseKey(handle), kRegOk);

  const std::string missing = std::string(kTestKey) + "\\Codes2";
  EXPECT_EQ(store_.OpenKeyForReading(RegRoot::CurrentUser, missing, &handle), kRegNotFound);
  EXPECT_EQ(handle, 0u);
  HKEY check = nullptr;
  EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, missing.c_str(), 0, KEY_READ, &check), ERROR_SUCCESS);
}

TEST(Win32AutostartTest, RunEntryNamesQuorExeBesideTheProgram) {
  const std::string target = PathBesideProgram("Quor.exe");
  ASSERT_GT(target.size(), 3u);
  EXPECT_EQ(target.substr(1, 2), ":\\");
  EXPECT_EQ(target.substr(target.size() - 9), "\\Quor.exe");
  // The folder is really ours: this test program is found in it.
  EXPECT_NE(GetFileAttributesA(PathBesideProgram("ovalink_win32_tests.exe").c_str()),
            INVALID_FILE_ATTRIBUTES);

  Win32RegistryStore store;
  InstallRegistry(&store);
  ApplyAutostart(true);
  const RawValue entry = QueryRaw(kRunKey, "Quor");
  EXPECT_EQ(entry.status, ERROR_SUCCESS);
  EXPECT_EQ(entry.type, DWORD(REG_SZ));
  EXPECT_EQ(std::string(entry.data.begin(), entry.data.end()), target + '\0');
  ApplyAutostart(false);
  EXPECT_EQ(QueryRaw(kRunKey, "Quor").status, ERROR_FILE_NOT_FOUND);
  ApplyAutostart(false);
  EXPECT_EQ(QueryRaw(kRunKey, "Quor").status, ERROR_FILE_NOT_FOUND);
  InstallRegistry(nullptr);
}

}  // namespace
}  // namespace ovalink
