#pragma once
// The simulated remote's control language: one request line in, one reply line out, so that
// a person or a test in another process can press keys (through a pipe, a console, ...).
//
//   press KEY [MS [COUNT [EVERY]]]
//                      a press held MS milliseconds (default 0: a sharp keystroke); COUNT
//                      of them, each EVERY ms after the one before (or when the remote is
//                      free), all planned at once so that no delay of the caller's spaces them
//   down KEY           the key stays down ...
//   up                 ... until this
//   remote [SOURCE]    the remote in the hand, or another one (builtin:rc5, a lircd.conf path)
//   keys               the remote's key names
//   uart               the UART's divisor and line control
//   help               this list
//
// KEY is a key name (KEY_PLAY) or a key index. Replies start with "ok" or "error: ". Press
// times are real performance-counter readings: "ok start=T end=T" (the light's beginning,
// the end of its last mark).

#include <string>
#include <string_view>

#include "sim/real_time_pc.h"

namespace ovalink::sim {

class RemoteControl {
 public:
  // `source`: how the remote in the hand was named (builtin:nec, a path).
  RemoteControl(RealTimePc& pc, std::string source) : pc_(pc), source_(std::move(source)) {}

  // Never throws for bad input: the reply says what was wrong.
  std::string Execute(std::string_view line);

 private:
  std::string Times(const PressTimes& times);

  RealTimePc& pc_;
  std::string source_;
};

}  // namespace ovalink::sim
