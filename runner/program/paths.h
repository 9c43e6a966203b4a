// Where the karvex program finds what was built beside it.
#pragma once

#include <filesystem>

namespace runner {

/// The folder of the running program (for the plotting script copied beside it).
std::filesystem::path ProgramDir();
/// The build's module folder: "../modules" from the program.
std::filesystem::path DefaultModuleDir();

}  // namespace runner
