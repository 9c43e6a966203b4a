// The telemetry file: every live vessel's state and levels, one row per vessel per sample.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "formats/csv.h"
#include "world/vessel.h"

namespace runner {

/// The header of telemetry.csv, units in the column names.
inline constexpr const char* TELEMETRY_HEADER =
    "time_s,vessel,x_m,y_m,z_m,vx_m_s,vy_m_s,vz_m_s,pitch_rad,bank_rad,heading_rad,altitude_m,mach,"
    "dyn_pressure_pa,mass_kg,thrust_n,resources_kg,thruster_levels,elevator,rudder,aileron,head_az_rad,head_el_rad";

/// The columns telemetry.csv adds over a round planet: latitude and planet-fixed longitude, and the
/// velocity over the ground in the local east, up and north axes.
inline constexpr const char* TELEMETRY_ROUND_COLUMNS = ",latitude_deg,longitude_deg,v_east_m_s,v_up_m_s,v_north_m_s";
/// The columns that follow in moving air: the wind at the vessel (local axes, m/s) and the true airspeed.
inline constexpr const char* TELEMETRY_WIND_COLUMNS = ",wind_east_m_s,wind_up_m_s,wind_north_m_s,airspeed_m_s";

/// The columns of telemetry.csv that hold texts rather than numbers.
inline constexpr const char* TELEMETRY_TEXT_COLUMNS[] = {"vessel", "resources_kg", "thruster_levels"};

/// Telemetry kept in memory: the columns of telemetry.csv, each of numbers or of text (the vessel's
/// name and the ';'-separated lists, as the file writes them).
struct TelemetryColumns {
    std::vector<std::string> names;               ///< telemetry.csv's header, in order
    std::vector<bool> text;                       ///< whether each column holds texts
    std::vector<std::vector<double>> numbers;     ///< each column's numbers; empty for a text column
    std::vector<std::vector<std::string>> texts;  ///< each column's texts; empty for a number column
};

/// The force `v`'s thrusters gave over the last step at ambient pressure `pressure` (Pa), summed as
/// vectors (a balanced ring gives 0), N.
double ThrustOf(const standin::Vessel& v, double pressure);

/// Writes telemetry.csv: position, velocity (global, m and m/s; x east, y up, z north), attitude,
/// altitude, Mach number, dynamic pressure, mass, thrust, each resource (kg) and thruster level
/// (';'-separated), the three control-surface levels and the seeker-head angles its module showed.
/// Over a round planet the position and velocity are inertial and planet-centred; the attitude,
/// altitude, Mach number and dynamic pressure are local (geodetic, against the turning air); and
/// the columns of TELEMETRY_ROUND_COLUMNS follow. In moving air Mach and dynamic pressure are
/// taken through the wind, and the columns of TELEMETRY_WIND_COLUMNS follow.
class Telemetry {
public:
    Telemetry() = default;
    ~Telemetry();
    Telemetry(const Telemetry&) = delete;
    Telemetry& operator=(const Telemetry&) = delete;

    /// Creates `path` and writes the header; false when it cannot be written.
    bool Open(const std::string& path);
    /// Keeps the rows of the first sample and of every `every`-th after it in `columns` too (which
    /// must outlive the sampling), its header set now.
    void Keep(TelemetryColumns& columns, long long every = 1);
    /// Writes (and keeps) one row for every live vessel of the world at the present simulation time.
    void Sample();
    /// Closes the file; false when anything failed to be written.
    bool Close();

private:
    std::FILE* out = nullptr;
    TelemetryColumns* kept = nullptr;
    long long keepEvery = 1;  // samples from one kept to the next
    long long samples = 0;    // samples taken so far
    bool failed = false;
    formats::CsvWriter csv;  // a sample's rows, its storage kept from one sample to the next
    std::string list;        // a ';'-separated field's text, likewise
};

}  // namespace runner
