// A .reg file from the Linux store's writer goes into the registry through regedit, and
// regedit's own export of it comes back through the Linux store's parser unchanged.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/reg_key.h"
#include "platform/memory/reg_text.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_registry_store.h"

namespace ovalink {
namespace {

const char* const kKey = "SOFTWARE\\OvalinkInterop";
const char* const kSettings = "SOFTWARE\\OvalinkInterop\\1.5";

using Bytes = std::vector<std::uint8_t>;

Bytes Text(const std::string& s) {
  Bytes data(s.begin(), s.end());
  data.push_back(0);
  return data;
}

std::string TempFile() {
  char folder[MAX_PATH];
  char name[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  GetTempFileNameA(folder, "ovl", 0, name);
  return name;
}

DWORD RunAndWait(std::string commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info))
    return GetLastError() | 0x80000000u;
  KernelHandle process(info.hProcess);
  KernelHandle thread(info.hThread);
  if (WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) return 0xFFFFFFFFu;
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  return code;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Values of one key, order aside: Windows keeps creation order, Wine sorts by name.
std::vector<std::string> Describe(const RegistryNode& node) {
  std::vector<std::string> out;
  for (const RegValue& value : node.Values()) {
    out.push_back(value.name + "|" + std::to_string(static_cast<unsigned>(value.type)) + "|" +
                  std::string(value.data.begin(), value.data.end()));
  }
  std::sort(out.begin(), out.end());
  return out;
}

class RegInteropTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kKey); }
  void TearDown() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    for (const std::string& file : files_) DeleteFileA(file.c_str());
  }
  std::string NewFile() {
    files_.push_back(TempFile());
    return files_.back();
  }

  std::vector<std::string> files_;
};

TEST_F(RegInteropTest, LinuxFileImportsWithRegeditAndRegeditExportLoadsBack) {
  RegistryNode written;
  RegistryNode& hive = written.Descend("HKEY_CURRENT_USER");
  RegistryNode& settings = hive.Descend(kSettings);
  const std::string path = "C:\\Program Files\\Ovalink\\\"quoted\"\\Quor.exe\\";
  Bytes code(1000);
  for (std::size_t i = 0; i < code.size(); ++i) code[i] = std::uint8_t(i * 37 + 11);
  settings.PutValue("Enable", RegType::Dword, {1, 0, 0, 0});
  settings.PutValue("Port", RegType::Dword, {0xF8, 0x02, 0, 0});
  settings.PutValue("Quor", RegType::String, Text(path));
  settings.PutValue("Empty", RegType::String, Text(""));
  settings.PutValue("", RegType::String, Text("default"));
  hive.Descend(std::string(kSettings) + "\\Codes1").PutValue("0", RegType::Binary, code);
  hive.Descend(std::string(kSettings) + "\\CodeFlags");

  const std::string linuxFile = NewFile();
  std::ofstream(linuxFile, std::ios::binary) << WriteRegText(written);
  ASSERT_EQ(RunAndWait("regedit.exe /s \"" + linuxFile + "\""), 0u);

  Win32RegistryStore store;
  {
    RegKey key(store, RegRoot::CurrentUser, kSettings);
    EXPECT_EQ(key.ReadDword("Enable", 0), 1u);
    EXPECT_EQ(key.ReadDword("Port", 0), 0x2F8u);
    char text[512] = {};
    std::uint32_t size = sizeof text;
    RegType type = RegType::None;
    RegHandle handle = 0;
    ASSERT_EQ(store.CreateKey(RegRoot::CurrentUser, kSettings, &handle), kRegOk);
    EXPECT_EQ(store.QueryValue(handle, "Quor", &type, reinterpret_cast<std::uint8_t*>(text), &size),
              kRegOk);
    store.CloseKey(handle);
    EXPECT_EQ(type, RegType::String);
    EXPECT_EQ(std::string(text, size), path + '\0');
    std::vector<std::string> names;
    key.EnumValueNames(names);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"", "Empty", "Enable", "Port", "Quor"}));
    Bytes back(1000);
    EXPECT_EQ(RegKey(store, RegRoot::CurrentUser, std::string(kSettings) + "\\Codes1")
                  .ReadBinary("0", back.data(), 1000), 0);
    EXPECT_EQ(back, code);
  }

  const std::string exported = NewFile();
  ASSERT_EQ(RunAndWait("regedit.exe /e \"" + exported + "\" \"HKEY_CURRENT_USER\\" + kKey + "\""),
            0u);
  const std::string bytes = ReadFile(exported);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE") << "regedit /e writes UTF-16LE";
  RegistryNode loaded;
  RegTextError error;
  ASSERT_TRUE(ParseRegText(bytes, loaded, &error)) << error.line << ": " << error.message;
  RegistryNode& loadedHive = loaded.Descend("HKEY_CURRENT_USER");
  for (const char* sub : {"", "\\Codes1", "\\CodeFlags"}) {
    const std::string key = std::string(kSettings) + sub;
    EXPECT_EQ(Describe(loadedHive.Descend(key)), Describe(hive.Descend(key))) << key;
  }
  EXPECT_EQ(loadedHive.Descend(kKey).children.size(), 1u);
  EXPECT_EQ(loadedHive.Descend(kSettings).children.size(), 2u);
}

}  // namespace
}  // namespace ovalink
