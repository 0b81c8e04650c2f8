#include "sim/remote_control.h"

#include <cmath>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "sim/ir/builtin_remotes.h"

namespace ovalink::sim {

namespace {

constexpr double kMaxHoldMs = 600000;
constexpr int kMaxCount = 100;

constexpr const char* kHelp =
    "ok commands: press KEY [MS [COUNT [EVERY_MS]]] | down KEY | up | remote [SOURCE] | keys | uart | help";

std::vector<std::string> Words(std::string_view line) {
  std::istringstream in{std::string(line)};
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// A number from `low` to `high`; `what` names it in the complaint.
double Number(const std::string& text, double low, double high, const char* what) {
  std::size_t used = 0;
  double value = low - 1;
  try {
    value = std::stod(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || !std::isfinite(value) || value < low || value > high) {
    throw std::invalid_argument(std::string(what) + " must be " + std::to_string(int(low)) +
                                " to " + std::to_string(int(high)) + ", not " + text);
  }
  return value;
}

std::string Hex2(unsigned value) {
  const char* digits = "0123456789ABCDEF";
  return std::string("0x") + digits[(value >> 4) & 0xF] + digits[value & 0xF];
}

}  // namespace

std::string RemoteControl::Times(const PressTimes& times) {
  std::string end = "held";
  if (times.lastMarkEndNs != ReceiverModel::kNotReleased) {
    end = std::to_string(pc_.Time().RealCounterAt(times.lastMarkEndNs));
  }
  return "ok start=" + std::to_string(pc_.Time().RealCounterAt(times.startNs)) + " end=" + end;
}

std::string RemoteControl::Execute(std::string_view line) {
  const std::vector<std::string> words = Words(line);
  if (words.empty()) return "error: empty request";
  const std::string& verb = words[0];
  const std::size_t args = words.size() - 1;
  try {
    if (verb == "press" && args >= 1 && args <= 4) {
      const std::size_t key = pc_.KeyIndex(words[1]);
      const double hold = args >= 2 ? Number(words[2], 0, kMaxHoldMs, "hold (ms)") : 0.0;
      const int count = args >= 3 ? int(Number(words[3], 1, kMaxCount, "count")) : 1;
      const double every = args >= 4 ? Number(words[4], 0, kMaxHoldMs, "every (ms)") : 0.0;
      if (args >= 3 && std::to_string(count) != words[3]) {
        throw std::invalid_argument("count must be a whole number, not " + words[3]);
      }
      return Times(pc_.Press(key, hold, count, every));
    }
    if (verb == "down" && args == 1) {
      const std::int64_t start = pc_.Down(pc_.KeyIndex(words[1]));
      return Times({start, ReceiverModel::kNotReleased});
    }
    if (verb == "up" && args == 0) {
      PressTimes times{};
      if (!pc_.Up(&times)) return "error: no key is down";
      return Times(times);
    }
    if (verb == "remote" && args == 0) return "ok " + source_;
    if (verb == "remote" && args == 1) {
      pc_.UseRemote(LoadRemote(words[1]));
      source_ = words[1];
      return "ok " + source_;
    }
    if (verb == "keys" && args == 0) return "ok " + pc_.KeyNames();
    if (verb == "uart" && args == 0) {
      const UartState uart = pc_.Uart();
      return "ok divisor=" + std::to_string(uart.divisor) + " line-control=" +
             Hex2(uart.lineControl);
    }
    if (verb == "help" && args == 0) return kHelp;
  } catch (const std::exception& e) {
    return std::string("error: ") + e.what();
  }
  return "error: unknown request '" + std::string(line) + "' (try help)";
}

}  // namespace ovalink::sim
