// Where the karvex program finds what was built beside it, and which folders it will not take.
#pragma once

#include <filesystem>
#include <string>

namespace runner {

/// The folder of the running program (for the plotting script copied beside it).
std::filesystem::path ProgramDir();
/// The build's module folder: "../modules" from the program.
std::filesystem::path DefaultModuleDir();

/// Why `folder` cannot be meant as a job's output folder: none named, the root folder, the home
/// folder or the source tree itself (followed through links); "" when it can.
std::string RefusedOutputFolder(const std::filesystem::path& folder);

/// Why `folder` cannot be a module folder: none named, or no folder there; "" when it can.
std::string RefusedModuleFolder(const std::filesystem::path& folder);

/// Complains as `command` when the job's output folder `outDir` or module folder `moduleDir` is
/// refused; EXIT_USAGE or EXIT_MODULE then, else EXIT_OK.
int RefuseJobFolders(const char* command, const std::filesystem::path& outDir, const std::filesystem::path& moduleDir);

}  // namespace runner
