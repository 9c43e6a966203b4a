#include "runner/replay_telemetry.h"

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "formats/csv.h"

namespace runner {

namespace {

double Number(const std::string& text)
{
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    return end == text.c_str() ? NAN : value;
}

// The index of each column a replay needs in `header`, the vessel's apart; "" or the one missing.
std::string Columns(const std::vector<std::string>& header, std::map<std::string, size_t>& index,
                    size_t& vesselColumn)
{
    static const char* const NEEDED[] = {"time_s", "vessel", "x_m", "y_m", "z_m", "vx_m_s", "vy_m_s", "vz_m_s",
                                         "pitch_rad", "bank_rad", "heading_rad", "altitude_m", "mach", "thrust_n",
                                         "head_az_rad", "head_el_rad"};
    for (const char* name : NEEDED) {
        size_t i = 0;
        while (i < header.size() && header[i] != name) {
            ++i;
        }
        if (i == header.size()) {
            return name;
        }
        index[name] = i;
    }
    vesselColumn = index["vessel"];
    index.erase("vessel");
    return "";
}

}  // namespace

std::string ReadTelemetry(const std::filesystem::path& path, std::vector<std::string>& order,
                          std::map<std::string, Track>& tracks)
{
    std::ifstream in(path);
    formats::CsvReader csv(in);
    std::vector<std::string> header, fields;
    if (!in || !csv.Next(header)) {
        return csv.Error().empty() ? "cannot read " + path.string() : path.string() + ": " + csv.Error();
    }
    std::map<std::string, size_t> index;
    size_t vesselColumn = 0;
    const std::string missing = Columns(header, index, vesselColumn);
    if (!missing.empty()) {
        return path.string() + " lacks the column " + missing;
    }
    while (csv.Next(fields)) {
        if (fields.size() < header.size()) {
            continue;  // a row cut short by a run that was stopped
        }
        const std::string& name = fields[vesselColumn];
        auto [it, added] = tracks.try_emplace(name);
        if (added) {
            order.push_back(name);
        }
        for (const auto& [column, i] : index) {
            it->second.columns[column].push_back(Number(fields[i]));
        }
        ++it->second.rows;
    }
    if (!csv.Error().empty()) {
        return path.string() + ": " + csv.Error();
    }
    return order.empty() ? path.string() + " has no samples" : "";
}

}  // namespace runner
