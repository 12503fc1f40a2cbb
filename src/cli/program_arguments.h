#pragma once
// The command line as adxtool takes it: UTF-8 on both systems.

#include <string>
#include <vector>

namespace pdt::cli {

// The arguments without the program name. On Windows argv holds only what the ANSI code
// page can show of each argument, so the UTF-16 command line is split instead.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// On Windows a console shows what adxtool prints as UTF-8 until the program ends; elsewhere
// nothing changes.
void UseUtf8Console();

} // namespace pdt::cli
