#include "platform/memory/reg_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace ovalink {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Text(const std::string& s, bool withNul = true) {
  Bytes data(s.begin(), s.end());
  if (withNul) data.push_back(0);
  return data;
}

Bytes Pattern(std::size_t size) {
  Bytes data(size);
  for (std::size_t i = 0; i < size; ++i) data[i] = std::uint8_t(i * 7 + 3);
  return data;
}

void Put(RegistryNode& node, const std::string& name, RegType type, Bytes data) {
  node.PutValue(name, type, std::move(data));
}

RegistryNode& Key(RegistryNode& root, const std::string& path) {
  return root.Descend("HKEY_CURRENT_USER").Descend(path);
}

const RegValue* Find(RegistryNode& root, const std::string& path, const std::string& name) {
  return Key(root, path).FindValue(name);
}

void ExpectSameTree(const RegistryNode& expected, const RegistryNode& actual,
                    const std::string& where) {
  ASSERT_EQ(expected.Values().size(), actual.Values().size()) << where;
  for (std::size_t i = 0; i < expected.Values().size(); ++i) {
    const RegValue& e = expected.Values()[i];
    const RegValue& a = actual.Values()[i];
    EXPECT_EQ(e.name, a.name) << where;
    EXPECT_EQ(e.type, a.type) << where << " value " << e.name;
    EXPECT_EQ(e.data, a.data) << where << " value " << e.name;
  }
  ASSERT_EQ(expected.children.size(), actual.children.size()) << where;
  auto a = actual.children.begin();
  for (const auto& e : expected.children) {
    EXPECT_EQ(e.second->name, a->second->name) << where;
    ExpectSameTree(*e.second, *a->second, where + "\\" + e.second->name);
    ++a;
  }
}

RegistryNode ParseOrFail(const std::string& text) {
  RegistryNode root;
  RegTextError error;
  EXPECT_TRUE(ParseRegText(text, root, &error)) << "line " << error.line << ": " << error.message;
  return root;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(RegTextTest, EveryKindOfValueSurvivesWriteAndParse) {
  RegistryNode root;
  RegistryNode& settings = Key(root, "SOFTWARE\\Quor\\1.5");
  Put(settings, "Enable", RegType::Dword, {1, 0, 0, 0});
  Put(settings, "Port", RegType::Dword, {0xF8, 0x02, 0, 0x80});
  Put(settings, "Path", RegType::String, Text("C:\\Program Files\\\"Ovalink\"\\"));
  Put(settings, "", RegType::String, Text("the default"));
  Put(settings, "Empty", RegType::String, Text(""));
  Put(settings, "na\"me\\with=quote", RegType::Dword, {2, 0, 0, 0});
  Put(settings, "line\nbreak", RegType::Dword, {3, 0, 0, 0});
  // Strings a quoted form cannot carry exactly, and DWORDs of the wrong size.
  Put(settings, "NoNul", RegType::String, Text("abc", false));
  Put(settings, "Lines", RegType::String, Text("a\r\nb"));
  Put(settings, "InnerNul", RegType::String, {'a', 0, 'b', 0});
  Put(settings, "ZeroBytes", RegType::String, {});
  Put(settings, "ShortDword", RegType::Dword, {1, 2, 3});
  Put(settings, "Expand", static_cast<RegType>(2), Text("%TEMP%\\x"));
  Put(settings, "Multi", static_cast<RegType>(7), {'a', 0, 'b', 0, 0});
  Put(settings, "Qword", static_cast<RegType>(11), {1, 2, 3, 4, 5, 6, 7, 8});
  Put(settings, "None", RegType::None, {9});
  Put(Key(root, "SOFTWARE\\Quor\\1.5\\Codes1"), "0", RegType::Binary, Pattern(1000));
  Put(Key(root, "SOFTWARE\\Quor\\1.5\\Codes1"), "1", RegType::Binary, {});
  Put(Key(root, "SOFTWARE\\Quor\\1.5\\Commands"), "33", RegType::Binary, Pattern(48));
  Key(root, "SOFTWARE\\Quor\\1.5\\CodeFlags");  // empty keys persist too

  const std::string text = WriteRegText(root);
  const RegistryNode back = ParseOrFail(text);
  ExpectSameTree(root, back, "");
  EXPECT_EQ(WriteRegText(back), text);
}

TEST(RegTextTest, WritesRegeditLayoutWithWrappedHexLines) {
  RegistryNode root;
  RegistryNode& settings = Key(root, "SOFTWARE\\Quor\\1.5");
  Put(settings, "Enable", RegType::Dword, {1, 0, 0, 0});
  Put(settings, "Quor", RegType::String, Text("C:\\a \"b\""));
  Put(settings, "0", RegType::Binary, Pattern(30));
  Put(settings, "Type", static_cast<RegType>(11), {0xAB});

  const std::string expected =
      "REGEDIT4\r\n\r\n"
      "[HKEY_CURRENT_USER\\SOFTWARE]\r\n\r\n"
      "[HKEY_CURRENT_USER\\SOFTWARE\\Quor]\r\n\r\n"
      "[HKEY_CURRENT_USER\\SOFTWARE\\Quor\\1.5]\r\n"
      "\"Enable\"=dword:00000001\r\n"
      "\"Quor\"=\"C:\\\\a \\\"b\\\"\"\r\n"
      "\"0\"=hex:03,0a,11,18,1f,26,2d,34,3b,42,49,50,57,5e,65,6c,73,7a,81,88,8f,96,9d,\\\r\n"
      "  a4,ab,b2,b9,c0,c7,ce\r\n"
      "\"Type\"=hex(b):ab\r\n"
      "\r\n";
  EXPECT_EQ(WriteRegText(root), expected);
}

// Recorded with Wine 8's "regedit /e": UTF-16LE with a BOM, the Version 5 header, values
// sorted by name, string types as UTF-16 hex.
TEST(RegTextTest, ReadsWineRegeditExport) {
  RegistryNode root =
      ParseOrFail(ReadFile(OVALINK_SOURCE_DIR "/tests/data/wine_regedit_export.reg"));
  const std::string settings = "SOFTWARE\\Quor\\1.5";
  ASSERT_NE(Find(root, settings, "Enable"), nullptr);
  EXPECT_EQ(Find(root, settings, "Enable")->type, RegType::Dword);
  EXPECT_EQ(Find(root, settings, "Enable")->data, (Bytes{1, 0, 0, 0}));
  EXPECT_EQ(Find(root, settings, "Port")->data, (Bytes{0xF8, 0x02, 0, 0}));
  EXPECT_EQ(Find(root, settings, "Quor")->type, RegType::String);
  EXPECT_EQ(Find(root, settings, "Quor")->data,
            Text("C:\\Program Files\\Ovalink\\Quor.exe \"say \\\"hi\\\"\""));
  EXPECT_EQ(Find(root, settings, "")->data, Text("default"));
  EXPECT_EQ(Find(root, settings, "Empty")->data, Text(""));
  EXPECT_EQ(Find(root, settings, "Unicode")->data, Text("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"));
  EXPECT_EQ(Find(root, settings, "Expand")->type, static_cast<RegType>(2));
  EXPECT_EQ(Find(root, settings, "Expand")->data, Text("%TEMP%\\x"));
  EXPECT_EQ(Find(root, settings, "Multi")->data, (Bytes{'a', 0, 'b', 'c', 0, 0}));
  EXPECT_EQ(Find(root, settings, "Qword")->type, static_cast<RegType>(11));
  EXPECT_EQ(Find(root, settings, "Qword")->data, (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(Find(root, settings, "Empty binary")->type, RegType::Binary);
  EXPECT_TRUE(Find(root, settings, "Empty binary")->data.empty());
  ASSERT_NE(Find(root, settings + "\\Codes1", "0"), nullptr);
  EXPECT_EQ(Find(root, settings + "\\Codes1", "0")->data, Pattern(1000));
  EXPECT_TRUE(Key(root, settings + "\\CodeFlags").Values().empty());
}

TEST(RegTextTest, AcceptsBomLfCommentsAbbreviationsCaseAndDeletions) {
  const std::string text =
      "\xEF\xBB\xBFREGEDIT4\n"
      "; a comment\n"
      "[HKCU\\Software\\Quor\\1.5]\n"
      "\"Enable\"=dword:1\n"
      "\"Port\" = dword:000003F8\n"
      "\"Gone\"=\"x\"\n"
      "\"0\"=hex:01,\\\n"
      "    02,  \\\n"
      "\t03\n"
      "[hkey_current_user\\SOFTWARE\\QUOR\\1.5]\n"
      "\"enable\"=dword:00000000\n"
      "\"GONE\"=-\n"
      "[HKEY_CURRENT_USER\\Software\\Old\\Sub]\n"
      "\"x\"=dword:00000001\n"
      "[-HKEY_CURRENT_USER\\Software\\Old]\n"
      "\"ignored\"=dword:00000001\n"
      "[-HKEY_CURRENT_USER\\Software\\NeverThere\\Deep]\n";
  RegistryNode root = ParseOrFail(text);
  RegistryNode& settings = Key(root, "SOFTWARE\\Quor\\1.5");
  ASSERT_EQ(settings.Values().size(), 3u);
  EXPECT_EQ(settings.Values()[0].name, "Enable");  // a rewrite keeps the first place and name
  EXPECT_EQ(settings.Values()[0].data, (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(settings.Values()[1].data, (Bytes{0xF8, 0x03, 0, 0}));
  EXPECT_EQ(settings.Values()[2].data, (Bytes{1, 2, 3}));
  const RegistryNode& software = Key(root, "Software");
  EXPECT_EQ(software.children.count("Old"), 0u);
  EXPECT_EQ(software.children.count("NeverThere"), 0u);
}

TEST(RegTextTest, RejectsWhatCannotBeReadAndNamesTheLine) {
  struct Case {
    const char* text;
    std::size_t line;
  };
  const Case cases[] = {
      {"", 0},
      {"\xFE\xFF\0R", 0},
      {"REGEDIT5\r\n", 1},
      {"{\"a\": 1}\n", 1},
      {"REGEDIT4\r\n\"a\"=dword:1\r\n", 2},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A\r\n", 2},
      {"REGEDIT4\r\n[HKEY_NOWHERE\\A]\r\n", 2},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"a\"=dword:123456789\r\n", 3},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"a\"=dword:xyz\r\n", 3},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"a\"=\"open\r\n", 3},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"a\"=\"x\" y\r\n", 3},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"a\"=hex:01,2g\r\n", 3},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"a\"=hex:01,,02\r\n", 3},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"a\"=hex:01,\\\r\n  0x2\r\n", 3},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"a\"=hex:01,\\\r\n", 3},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"a\"=hex(zz):01\r\n", 3},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"a\"=qword:1\r\n", 3},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"a\" dword:1\r\n", 3},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\nEnable=dword:1\r\n", 3},
  };
  for (const Case& c : cases) {
    // Sized explicitly: some cases hold NUL bytes.
    std::string text(c.text, c.text[0] == '\xFE' ? 4 : std::char_traits<char>::length(c.text));
    RegistryNode root;
    RegTextError error;
    EXPECT_FALSE(ParseRegText(text, root, &error)) << text;
    EXPECT_EQ(error.line, c.line) << text;
    EXPECT_FALSE(error.message.empty()) << text;
  }
}

}  // namespace
}  // namespace ovalink
