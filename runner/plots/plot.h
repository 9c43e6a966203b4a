// The pictures: each drawn by its plotting script, which the build copies beside the program.
#pragma once

#include <string>

namespace runner {

/// `karvex plot`: renders a picture of `outDir` with the plotting script `script` ("" for the run
/// plot beside the program), which needs `outDir`/`data` and `outDir`/`summary`.
int Plot(const std::string& outDir, const std::string& script, const char* data = "telemetry.csv",
         const char* summary = "summary.json");

/// Draws `dir`/sweep.png with the sweep plotting script (`script`, or the one beside the program).
int PlotSweep(const std::string& dir, const std::string& script);
/// Draws `dir`/envelope.png with the envelope plotting script (`script`, or the one beside the program).
int PlotEnvelope(const std::string& dir, const std::string& script);

}  // namespace runner
