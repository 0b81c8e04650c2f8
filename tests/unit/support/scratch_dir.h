#pragma once
// A directory of the running test's own, emptied before the test uses it.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace ovalink::test {

inline std::filesystem::path FreshTestDirectory(const std::filesystem::path& parent,
                                                const std::string& prefix) {
  const std::filesystem::path dir =
      parent / (prefix + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace ovalink::test
