// A run's telemetry.csv read back for its replay: one track of columns per vessel.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace runner {

/// One vessel's telemetry columns, in the order of its rows.
struct Track {
    std::map<std::string, std::vector<double>> columns;  ///< by column name; NaN for a field not a number
    size_t rows = 0;
};

/// Reads the columns a replay needs of telemetry.csv `path` into one track per vessel, `order`
/// listing the vessels in order of first appearance; "" or why it cannot. A row with fewer fields
/// than the header, cut short by a run that was stopped, is left out; a quote never closed that
/// takes later lines into its field is refused with the line it opened on.
std::string ReadTelemetry(const std::filesystem::path& path, std::vector<std::string>& order,
                          std::map<std::string, Track>& tracks);

}  // namespace runner
