// The karvex program's subcommands, each callable from a test as from the command line.
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
/// Renders a picture of `outDir` with the plotting script `script` ("" for the run plot beside the
/// program), which needs `outDir`/`data` and `outDir`/`summary`.
int Plot(const std::string& outDir, const std::string& script, const char* data = "telemetry.csv",
         const char* summary = "summary.json");

/// `karvex replay`: writes `outDir`/replay.html, a self-contained page that plays the run in
/// `outDir` back in 3D, from the page's pieces in `assetDir` ("" for those beside the program).
int Replay(const std::string& outDir, const std::string& assetDir = "");

}  // namespace runner
