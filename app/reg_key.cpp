#include "app/reg_key.h"

#include <array>
#include <cstring>
#include <utility>

namespace ovalink {

namespace {
constexpr std::uint32_t kEnumNameChars = 999;
}

RegKey::RegKey(RegRoot root, const std::string& path) : RegKey(ActiveRegistry(), root, path) {}

RegKey::RegKey(RegistryStore& store, RegRoot root, const std::string& path) : store_(&store) {
  RegHandle handle = 0;
  if (store_->CreateKey(root, path, &handle) == kRegOk) {
    handle_ = handle;
  } else if (store_->OpenKeyForReading(root, path, &handle) == kRegOk) {
    // A key the user may read but not change: its values still count, only writes fail.
    handle_ = handle;
  }
}

RegKey::~RegKey() { Close(); }

RegKey::RegKey(RegKey&& other) noexcept
    : store_(other.store_), handle_(std::exchange(other.handle_, 0)) {}

RegKey& RegKey::operator=(RegKey&& other) noexcept {
  if (this != &other) {
    Close();
    store_ = other.store_;
    handle_ = std::exchange(other.handle_, 0);
  }
  return *this;
}

RegStatus RegKey::Close() {
  if (handle_ == 0) return kRegInvalidHandle;
  RegStatus status = store_->CloseKey(handle_);
  handle_ = 0;
  return status;
}

std::uint32_t RegKey::ReadDword(const std::string& name, std::uint32_t defaultValue) {
  if (handle_ == 0) return defaultValue;
  std::uint8_t data[4] = {};
  std::uint32_t size = sizeof data;
  RegType type = RegType::None;
  if (store_->QueryValue(handle_, name, &type, data, &size) == kRegOk &&
      type == RegType::Dword && size == sizeof data) {
    return std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 | std::uint32_t(data[2]) << 16 |
           std::uint32_t(data[3]) << 24;
  }
  WriteDword(name, defaultValue);
  return defaultValue;
}

RegStatus RegKey::WriteDword(const std::string& name, std::uint32_t value) {
  if (handle_ == 0) return kRegInvalidHandle;
  const std::uint8_t data[4] = {std::uint8_t(value), std::uint8_t(value >> 8),
                                std::uint8_t(value >> 16), std::uint8_t(value >> 24)};
  return store_->SetValue(handle_, name, RegType::Dword, data, sizeof data);
}

void RegKey::WriteString(const std::string& name, const std::string& text) {
  if (handle_ == 0) return;
  store_->SetValue(handle_, name, RegType::String,
                   reinterpret_cast<const std::uint8_t*>(text.c_str()),
                   static_cast<std::uint32_t>(text.size() + 1));
}

int RegKey::ReadBinary(const std::string& name, void* buffer, std::uint32_t size) {
  if (handle_ == 0) return 1;
  std::uint32_t got = size;
  RegType type = RegType::None;
  if (store_->QueryValue(handle_, name, &type, static_cast<std::uint8_t*>(buffer), &got) != kRegOk)
    return 1;
  return (type == RegType::Binary && got == size) ? 0 : 1;
}

RegStatus RegKey::WriteBinary(const std::string& name, const void* buffer, std::uint32_t size) {
  if (handle_ == 0) return kRegInvalidHandle;
  return store_->SetValue(handle_, name, RegType::Binary,
                          static_cast<const std::uint8_t*>(buffer), size);
}

void RegKey::EnumValueNames(std::vector<std::string>& names) {
  if (handle_ == 0) return;
  names.clear();
  std::array<char, kEnumNameChars> name{};
  for (std::uint32_t index = 0;; ++index) {
    std::uint32_t length = kEnumNameChars;
    RegType type = RegType::None;
    if (store_->EnumValue(handle_, index, name.data(), &length, &type) != kRegOk) break;
    names.emplace_back(name.data(), length);
  }
}

RegStatus RegKey::DeleteValue(const std::string& name) {
  if (handle_ == 0) return kRegInvalidHandle;
  return store_->DeleteValue(handle_, name);
}

}  // namespace ovalink
