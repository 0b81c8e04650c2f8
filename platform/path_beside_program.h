#pragma once
// Full path of a file in the folder of the running program. Defined by each platform back
// end (the program's own file name is an OS question).

#include <string>

namespace ovalink {

// The running program's folder followed by `fileName`, e.g. "C:\Ovalink\Quor.exe" for
// "Quor.exe" whatever the running file is called.
std::string PathBesideProgram(const std::string& fileName);

}  // namespace ovalink
