// The karvex program's own subcommands, each callable from a test as from the command line: run and
// inspect (plot, replay, sweep, envelope and merge are their jobs' own).
#pragma once

#include <string>

namespace runner {

/// `karvex run`: flies `scenario` with modules from `moduleDir`, writes into `outDir`, prints the
/// timeline, the miss distance and the paths written; with `plot`, renders the picture too, and
/// with `replay`, the replay page.
int RunCommand(const std::string& scenario, const std::string& moduleDir, const std::string& outDir, bool plot,
               bool quiet, bool replay = false);
/// `karvex inspect`: loads the module `className` from `moduleDir` and prints what it declares.
int Inspect(const std::string& moduleDir, const std::string& className);
}  // namespace runner
