#include "runner/replay/replay_telemetry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <string>

#include "formats/csv.h"
#include "physics/geodesy.h"

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

// The columns a round planet's telemetry adds, read in place of the global ones they replace.
constexpr const char* ROUND[][2] = {{"latitude_deg", ""},   {"longitude_deg", ""}, {"v_east_m_s", "vx_m_s"},
                                    {"v_up_m_s", "vy_m_s"}, {"v_north_m_s", "vz_m_s"}};

// The columns moving air's telemetry adds, read when they are there.
constexpr const char* WIND[] = {"wind_east_m_s", "wind_up_m_s", "wind_north_m_s"};

// Over a round planet the scene is the ground's tangent plane at the first vessel's first sample:
// x east and z north of it along the Earth's ellipsoid there, y the altitude; velocities over the
// ground.
void ToTangentPlane(const std::vector<std::string>& order, std::map<std::string, Track>& tracks)
{
    constexpr double DEG = std::numbers::pi / 180.0;
    const Track& first = tracks.at(order.front());
    const double lat0 = first.columns.at("latitude_deg")[0] * DEG, lon0 = first.columns.at("longitude_deg")[0] * DEG;
    const physics::Planet& earth = physics::EARTH;
    const double e2 = physics::EccentricitySquared(earth);
    const double w = 1.0 - e2 * std::sin(lat0) * std::sin(lat0);
    const double north = earth.radius * (1.0 - e2) / (w * std::sqrt(w)) * DEG;  // m per degree of latitude
    const double east = earth.radius / std::sqrt(w) * std::cos(lat0) * DEG;     // m per degree of longitude
    for (auto& [name, track] : tracks) {
        auto& c = track.columns;
        const std::vector<double>& lat = c["latitude_deg"];
        const std::vector<double>& lon = c["longitude_deg"];
        std::vector<double>& x = c["x_m"];
        std::vector<double>& z = c["z_m"];
        for (size_t i = 0; i < track.rows; ++i) {
            x[i] = std::remainder(lon[i] - lon0 / DEG, 360.0) * east;
            z[i] = (lat[i] - lat0 / DEG) * north;
        }
        c["y_m"] = c["altitude_m"];
        for (const auto& [from, to] : ROUND) {
            if (*to != '\0') {
                c[to] = c[from];
            }
            c.erase(from);
        }
    }
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
    bool round = true;
    for (const auto& [name, replaced] : ROUND) {
        auto at = std::find(header.begin(), header.end(), name);
        round = round && at != header.end();
        if (at != header.end()) {
            index[name] = static_cast<size_t>(at - header.begin());
        }
    }
    for (const char* name : WIND) {
        if (auto at = std::find(header.begin(), header.end(), name); at != header.end()) {
            index[name] = static_cast<size_t>(at - header.begin());
        }
    }
    while (csv.Next(fields)) {
        // A quote never closed takes every later line into its field: a hand edit, not a stop.
        if (csv.OpenQuoteLine() != 0 && fields.back().find('\n') != std::string::npos) {
            return path.string() + ":" + std::to_string(csv.OpenQuoteLine()) +
                   ": a quoted field opened here is never closed, so every later line would be read into it";
        }
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
    if (order.empty()) {
        return path.string() + " has no samples";
    }
    if (round) {
        ToTangentPlane(order, tracks);
    }
    return "";
}

}  // namespace runner
