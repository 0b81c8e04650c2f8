#pragma once
// What a run does, decided by the first character of its command line.

namespace ovalink {

enum class StartAction { Run, InstallDriver, RemoveDriver };

// `arguments`: the text after the program's name (null or empty: a normal run). "I"/"i"
// installs the port driver service, "D"/"d" removes it; anything else runs the program.
StartAction ActionForCommandLine(const char* arguments);

}  // namespace ovalink
