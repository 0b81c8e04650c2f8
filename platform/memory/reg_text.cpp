#include "platform/memory/reg_text.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace ovalink {

namespace {

constexpr char kHeader4[] = "REGEDIT4";
constexpr char kHeader5[] = "Windows Registry Editor Version 5.00";
constexpr char kCrLf[] = "\r\n";
// regedit breaks a hex line once it reaches this column, continuing with two spaces.
constexpr std::size_t kHexWrapColumn = 77;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& s) {
  std::size_t begin = 0;
  std::size_t end = s.size();
  while (begin < end && IsBlank(s[begin])) ++begin;
  while (end > begin && IsBlank(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

bool StartsWithIgnoreCase(const std::string& s, std::size_t pos, const char* prefix) {
  for (std::size_t i = 0; prefix[i]; ++i) {
    if (pos + i >= s.size()) return false;
    if (std::tolower(static_cast<unsigned char>(s[pos + i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  }
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Unpaired surrogates become U+FFFD rather than failing the file.
std::string Utf16LeToUtf8(const std::uint8_t* data, std::size_t bytes) {
  std::string out;
  out.reserve(bytes / 2);
  const std::size_t units = bytes / 2;
  for (std::size_t i = 0; i < units; ++i) {
    std::uint32_t unit = data[2 * i] | (std::uint32_t(data[2 * i + 1]) << 8);
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units) {
      const std::uint32_t low = data[2 * i + 2] | (std::uint32_t(data[2 * i + 3]) << 8);
      if (low >= 0xDC00 && low < 0xE000) {
        AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    if (unit >= 0xD800 && unit < 0xE000) unit = 0xFFFD;
    AppendUtf8(out, unit);
  }
  return out;
}

bool IsStringType(std::uint32_t type) { return type == 1 || type == 2 || type == 7; }

class Parser {
 public:
  Parser(RegistryNode& root, RegTextError* error) : root_(root), error_(error) {}

  bool Run(const std::string& bytes) {
    std::string text;
    if (!Decode(bytes, text)) return Fail(0, "unreadable encoding (UTF-16 without the little-endian BOM?)");
    SplitLines(text);
    if (lines_.empty()) return Fail(0, "empty file, no REGEDIT4 header");
    const std::string header = Trim(lines_[0]);
    if (header == kHeader5) {
      unicode_ = true;
    } else if (header != kHeader4) {
      return Fail(1, "not a registry file: the first line is neither \"REGEDIT4\" nor \"" +
                         std::string(kHeader5) + "\"");
    }
    for (index_ = 1; index_ < lines_.size(); ++index_) {
      if (!ParseLine()) return false;
    }
    // regedit and our own writer end every line; a last line without its end was cut off,
    // and what it held (a shortened dword, a short hex list) would read as something else.
    if (text.back() != '\n' && !Trim(lines_.back()).empty()) {
      return Fail(lines_.size(), "the file ends in the middle of a line (cut off?)");
    }
    return true;
  }

 private:
  static bool Decode(const std::string& bytes, std::string& text) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (bytes.size() >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
      if (bytes.size() % 2 != 0) return false;
      text = Utf16LeToUtf8(data + 2, bytes.size() - 2);
      return true;
    }
    if (bytes.size() >= 2 && data[0] == 0xFE && data[1] == 0xFF) return false;
    if (bytes.size() >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
      text = bytes.substr(3);
    } else {
      text = bytes;
    }
    return true;
  }

  void SplitLines(const std::string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::size_t stop = end;
      if (stop > start && text[stop - 1] == '\r') --stop;
      lines_.push_back(text.substr(start, stop - start));
      start = end + 1;
    }
  }

  bool Fail(std::size_t line, const std::string& message) {
    if (error_) {
      error_->line = line;
      error_->message = message;
    }
    return false;
  }
  bool FailHere(const std::string& message) { return Fail(index_ + 1, message); }

  bool ParseLine() {
    const std::string line = Trim(lines_[index_]);
    if (line.empty() || line[0] == ';' || line[0] == '#') return true;
    if (line[0] == '[') return ParseKey(line);
    return ParseValue(line);
  }

  bool ParseKey(const std::string& line) {
    if (line.back() != ']') return FailHere("key line without a closing ']'");
    std::string path = line.substr(1, line.size() - 2);
    bool remove = false;
    if (!path.empty() && path[0] == '-') {
      remove = true;
      path.erase(0, 1);
    }
    const std::size_t slash = path.find('\\');
    const std::string hive = HiveName(path.substr(0, slash));
    if (hive.empty()) return FailHere("unknown root key in [" + path + "]");
    const std::string rest = slash == std::string::npos ? std::string() : path.substr(slash + 1);
    if (remove) {
      RemoveKey(hive, rest);
      current_ = nullptr;
      skipValues_ = true;
      return true;
    }
    current_ = &root_.Descend(hive).Descend(rest);
    skipValues_ = false;
    return true;
  }

  static std::string HiveName(const std::string& name) {
    static const char* const kHives[][2] = {
        {"HKEY_CURRENT_USER", "HKCU"},   {"HKEY_LOCAL_MACHINE", "HKLM"},
        {"HKEY_CLASSES_ROOT", "HKCR"},   {"HKEY_USERS", "HKU"},
        {"HKEY_CURRENT_CONFIG", "HKCC"}, {"HKEY_DYN_DATA", "HKDD"},
    };
    for (const auto& hive : kHives) {
      if (EqualsIgnoreCase(name, hive[0]) || EqualsIgnoreCase(name, hive[1])) return hive[0];
    }
    return std::string();
  }

  void RemoveKey(const std::string& hive, const std::string& path) {
    auto hiveIt = root_.children.find(hive);
    if (hiveIt == root_.children.end()) return;
    RegistryNode* parent = hiveIt->second.get();
    std::string leaf = path;
    while (!leaf.empty() && leaf.back() == '\\') leaf.pop_back();
    const std::size_t cut = leaf.rfind('\\');
    if (cut != std::string::npos) {
      // Walk without creating: deleting a key that is not there changes nothing.
      std::size_t start = 0;
      const std::string parents = leaf.substr(0, cut);
      while (parent && start <= parents.size()) {
        std::size_t end = parents.find('\\', start);
        if (end == std::string::npos) end = parents.size();
        if (end > start) {
          auto it = parent->children.find(parents.substr(start, end - start));
          parent = it == parent->children.end() ? nullptr : it->second.get();
        }
        start = end + 1;
      }
      leaf = leaf.substr(cut + 1);
    }
    if (parent && !leaf.empty()) parent->children.erase(leaf);
  }

  // A quoted string starting at s[pos] == '"'; pos ends after the closing quote.
  bool ParseQuoted(const std::string& s, std::size_t& pos, std::string& out) {
    out.clear();
    for (++pos; pos < s.size(); ++pos) {
      char c = s[pos];
      if (c == '"') {
        ++pos;
        return true;
      }
      if (c == '\\' && pos + 1 < s.size()) {
        const char next = s[++pos];
        switch (next) {
          case '\\': out += '\\'; break;
          case '"': out += '"'; break;
          case 'n': out += '\n'; break;
          case 'r': out += '\r'; break;
          case '0': out += '\0'; break;
          default:  // not an escape regedit writes: keep it literally
            out += '\\';
            out += next;
        }
        continue;
      }
      out += c;
    }
    return false;
  }

  static void SkipBlanks(const std::string& s, std::size_t& pos) {
    while (pos < s.size() && IsBlank(s[pos])) ++pos;
  }

  bool ParseValue(const std::string& line) {
    std::size_t pos = 0;
    std::string name;
    if (line[0] == '@') {
      pos = 1;
    } else if (line[0] == '"') {
      if (!ParseQuoted(line, pos, name)) return FailHere("value name without a closing quote");
    } else {
      return FailHere("neither a key, a value nor a comment");
    }
    SkipBlanks(line, pos);
    if (pos >= line.size() || line[pos] != '=') return FailHere("'=' expected after the value name");
    ++pos;
    SkipBlanks(line, pos);
    if (!skipValues_ && current_ == nullptr) return FailHere("value before the first key");

    RegValue value;
    value.name = name;
    if (pos < line.size() && line[pos] == '-' && Trim(line.substr(pos + 1)).empty()) {
      if (current_) DeleteValue(name);
      return true;
    }
    if (pos < line.size() && line[pos] == '"') {
      std::string text;
      if (!ParseQuoted(line, pos, text)) return FailHere("string without a closing quote");
      if (!Trim(line.substr(pos)).empty()) return FailHere("text after the closing quote");
      value.type = RegType::String;
      value.data.assign(text.begin(), text.end());
      value.data.push_back(0);
    } else if (StartsWithIgnoreCase(line, pos, "dword:")) {
      const std::string digits = Trim(line.substr(pos + 6));
      if (digits.empty() || digits.size() > 8) return FailHere("dword needs 1 to 8 hex digits");
      std::uint32_t number = 0;
      for (char c : digits) {
        const int d = HexDigit(c);
        if (d < 0) return FailHere("bad hex digit in dword");
        number = number << 4 | std::uint32_t(d);
      }
      value.type = RegType::Dword;
      value.data = {std::uint8_t(number), std::uint8_t(number >> 8), std::uint8_t(number >> 16),
                    std::uint8_t(number >> 24)};
    } else if (StartsWithIgnoreCase(line, pos, "hex")) {
      if (!ParseHexValue(line, pos + 3, value)) return false;
    } else {
      return FailHere("unrecognised value data");
    }
    if (current_) Store(std::move(value));
    return true;
  }

  bool ParseHexValue(const std::string& line, std::size_t pos, RegValue& value) {
    std::uint32_t type = 3;
    if (pos < line.size() && line[pos] == '(') {
      const std::size_t close = line.find(')', pos);
      if (close == std::string::npos || close == pos + 1 || close - pos > 9)
        return FailHere("bad hex(type)");
      type = 0;
      for (std::size_t i = pos + 1; i < close; ++i) {
        const int d = HexDigit(line[i]);
        if (d < 0) return FailHere("bad hex(type)");
        type = type << 4 | std::uint32_t(d);
      }
      pos = close + 1;
    }
    if (pos >= line.size() || line[pos] != ':') return FailHere("':' expected after hex");
    const std::size_t firstLine = index_;
    std::string list = Trim(line.substr(pos + 1));
    // A trailing backslash continues the list on the next line. Appended in place: one value
    // may run over many thousands of lines.
    while (!list.empty() && list.back() == '\\') {
      list.pop_back();
      while (!list.empty() && IsBlank(list.back())) list.pop_back();
      if (index_ + 1 >= lines_.size()) return Fail(firstLine + 1, "hex data continues past the end");
      list += Trim(lines_[++index_]);
    }
    std::vector<std::uint8_t> bytes;
    std::size_t start = 0;
    while (start < list.size()) {
      std::size_t comma = list.find(',', start);
      if (comma == std::string::npos) comma = list.size();
      const std::string token = Trim(list.substr(start, comma - start));
      start = comma + 1;
      if (token.empty() && comma == list.size()) break;  // trailing comma
      if (token.empty() || token.size() > 2) return Fail(firstLine + 1, "bad byte in hex data");
      int byte = 0;
      for (char c : token) {
        const int d = HexDigit(c);
        if (d < 0) return Fail(firstLine + 1, "bad byte in hex data");
        byte = byte << 4 | d;
      }
      bytes.push_back(std::uint8_t(byte));
    }
    // A Version 5 file holds the string types as UTF-16; the store's text is narrow.
    if (unicode_ && IsStringType(type) && bytes.size() % 2 == 0) {
      const std::string text = Utf16LeToUtf8(bytes.data(), bytes.size());
      bytes.assign(text.begin(), text.end());
    }
    value.type = static_cast<RegType>(type);
    value.data = std::move(bytes);
    return true;
  }

  void Store(RegValue value) { current_->PutValue(value.name, value.type, std::move(value.data)); }

  void DeleteValue(const std::string& name) { current_->EraseValue(name); }

  RegistryNode& root_;
  RegTextError* error_;
  std::vector<std::string> lines_;
  std::size_t index_ = 0;
  bool unicode_ = false;
  RegistryNode* current_ = nullptr;
  bool skipValues_ = false;  // after a [-key]: its values have nowhere to go
};

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\0': out += "\\0"; break;
      default: out += c;
    }
  }
  out += '"';
  return out;
}

// Whether "text" written between quotes reads back as exactly these bytes.
bool IsPlainString(const std::vector<std::uint8_t>& data) {
  if (data.empty() || data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < data.size(); ++i) {
    if (data[i] == 0 || data[i] == '\r' || data[i] == '\n') return false;
  }
  return true;
}

void WriteHex(std::string& out, const std::string& prefix, const std::vector<std::uint8_t>& data) {
  out += prefix;
  std::size_t column = prefix.size();
  char byte[3];
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::snprintf(byte, sizeof byte, "%02x", data[i]);
    out += byte;
    if (i + 1 == data.size()) break;
    out += ',';
    column += 3;
    if (column >= kHexWrapColumn) {
      out += "\\";
      out += kCrLf;
      out += "  ";
      column = 2;
    }
  }
  out += kCrLf;
}

void WriteValue(std::string& out, const RegValue& value) {
  const std::string lead = (value.name.empty() ? std::string("@") : Quote(value.name)) + "=";
  const auto type = static_cast<std::uint32_t>(value.type);
  if (value.type == RegType::String && IsPlainString(value.data)) {
    out += lead;
    out += Quote(std::string(value.data.begin(), value.data.end() - 1));
    out += kCrLf;
  } else if (value.type == RegType::Dword && value.data.size() == 4) {
    const std::uint32_t number = value.data[0] | std::uint32_t(value.data[1]) << 8 |
                                 std::uint32_t(value.data[2]) << 16 |
                                 std::uint32_t(value.data[3]) << 24;
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(number));
    out += lead + "dword:" + digits + kCrLf;
  } else if (value.type == RegType::Binary) {
    WriteHex(out, lead + "hex:", value.data);
  } else {
    char kind[24];
    std::snprintf(kind, sizeof kind, "hex(%x):", static_cast<unsigned>(type));
    WriteHex(out, lead + kind, value.data);
  }
}

void WriteKey(std::string& out, const std::string& path, const RegistryNode& node, bool hive) {
  // regedit lists every key, empty ones included; a hive itself only when it holds values.
  if (!hive || !node.Values().empty()) {
    out += "[" + path + "]" + kCrLf;
    for (const RegValue& value : node.Values()) WriteValue(out, value);
    out += kCrLf;
  }
  for (const auto& child : node.children) {
    WriteKey(out, path + "\\" + child.second->name, *child.second, false);
  }
}

}  // namespace

bool ParseRegText(const std::string& bytes, RegistryNode& root, RegTextError* error) {
  return Parser(root, error).Run(bytes);
}

std::string WriteRegText(const RegistryNode& root) {
  std::string out = std::string(kHeader4) + kCrLf + kCrLf;
  for (const auto& hive : root.children) WriteKey(out, hive.second->name, *hive.second, true);
  return out;
}

}  // namespace ovalink
