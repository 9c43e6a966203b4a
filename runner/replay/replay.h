// The replay page: a run played back in 3D in any browser, offline.
#pragma once

#include <string>

namespace runner {

/// `karvex replay`: writes `outDir`/replay.html, a self-contained page that plays the run in
/// `outDir` back in 3D, from the page's pieces in `assetDir` ("" for those beside the program).
int Replay(const std::string& outDir, const std::string& assetDir = "");

}  // namespace runner
