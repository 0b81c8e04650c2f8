#pragma once
// What a run does, decided by the first word of its command line.

namespace ovalink {

enum class StartAction { Run, InstallDriver, RemoveDriver };

// `arguments`: the text after the program's name (null or empty: a normal run). A first
// word of letters only that begins with "I"/"i" installs the port driver service ("I",
// "Install"), one that begins with "D"/"d" removes it ("d", "delete", "Debug"); anything
// else runs the program, a path such as "D:\Music\song.mp3" included.
StartAction ActionForCommandLine(const char* arguments);

}  // namespace ovalink
