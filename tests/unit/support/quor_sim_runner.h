#pragma once
// Runs the built quor-sim program as outside scripts run it, through the shell.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace ovalink::test {

struct QuorSimResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string QuorSimBinary() { return std::string(OVALINK_BINARY_DIR) + "/tools/quor-sim"; }

inline std::string SlurpFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// `args` are shell words after the program name; `prefix` runs first in the same shell
// (limits, ignored signals) and `stdoutTo` replaces the captured standard output. A run
// that blocks is stopped after a minute (status 124) rather than hanging the suite.
inline QuorSimResult QuorSim(const std::string& args, const std::string& prefix = "",
                             const std::string& stdoutTo = "") {
  const std::string binary = QuorSimBinary();
  if (!std::ifstream(binary)) throw std::runtime_error("quor-sim is not built: " + binary);
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string base = std::string(OVALINK_BINARY_DIR) + "/quor_sim_" +
                           test->test_suite_name() + "_" + test->name();
  const std::string out = stdoutTo.empty() ? "'" + base + ".out'" : stdoutTo;
  const std::string command = "(" + prefix + (prefix.empty() ? "" : "; ") + "exec timeout 60 '" + binary +
                              "' " + args + ") >" + out + " 2>'" + base + ".err'; echo $? >'" +
                              base + ".rc'";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("cannot run " + command);
  QuorSimResult r;
  r.status = std::stoi(SlurpFile(base + ".rc"));
  r.out = stdoutTo.empty() ? SlurpFile(base + ".out") : "";
  r.err = SlurpFile(base + ".err");
  return r;
}

inline std::size_t LineCount(const std::string& s) {
  return std::size_t(std::count(s.begin(), s.end(), '\n'));
}

}  // namespace ovalink::test
