#include "runner/flight/telemetry.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <sstream>

#include "formats/fresh_file.h"
#include "formats/number_text.h"
#include "physics/atmosphere.h"
#include "physics/thrust.h"
#include "physics/wind.h"
#include "runner/flight/seeker_head.h"
#include "runtime/air_data.h"
#include "runtime/host_control.h"
#include "runtime/local_frame.h"

namespace runner {

namespace {

// Hands a row's fields to TelemetryColumns as CsvWriter takes them for the file.
class ColumnWriter {
public:
    explicit ColumnWriter(TelemetryColumns& kept) : columns(kept) {}
    ColumnWriter& Number(double value)
    {
        columns.numbers[field++].push_back(value);
        return *this;
    }
    ColumnWriter& Text(std::string_view value)
    {
        columns.texts[field++].emplace_back(value);
        return *this;
    }
    void End() { field = 0; }

private:
    TelemetryColumns& columns;
    size_t field = 0;
};

// The header's column names, the present world's: the round planet's and the moving air's follow
// the common ones.
std::string Header()
{
    const physics::Settings& settings = standin::PhysicsSettings();
    return std::string(TELEMETRY_HEADER) + (settings.planet.round ? TELEMETRY_ROUND_COLUMNS : "") +
           (physics::AirMoves(settings.weather) ? TELEMETRY_WIND_COLUMNS : "");
}

// One value of each record as a single field, ';'-separated.
template <typename Sink, typename Record, typename Value>
void List(Sink& csv, std::string& list, const std::vector<Record>& records, Value value)
{
    list.clear();
    for (size_t i = 0; i < records.size(); ++i) {
        if (i > 0) {
            list += ';';
        }
        formats::AppendNumber(list, value(records[i]));
    }
    csv.Text(list);
}

// Adds vessel `v`'s row at simulation time `simt` (s) to `csv`, `list` lending its storage to the
// ';'-separated fields.
template <typename Sink>
void Row(Sink& csv, std::string& list, const standin::Vessel& v, double simt)
{
    const standin::VesselState& s = v.state;
    const physics::Settings& settings = standin::PhysicsSettings();
    const physics::Planet& planet = settings.planet;
    // Over a round planet: the geodetic height, the attitude against the local horizon and the
    // speed through the air, which turns with the planet (and moves with the wind).
    const VECTOR3 air = standin::AirVelocityOf(settings, v);
    double speed = std::sqrt(air.x * air.x + air.y * air.y + air.z * air.z);
    double altitude = standin::AltitudeOf(planet, s);
    physics::AirState atmosphere = physics::Atmosphere(altitude);
    const standin::LocalAngles local = standin::LocalAnglesOf(planet, s);
    csv.Number(simt).Text(v.name);
    for (double value : {s.pos.x, s.pos.y, s.pos.z, s.vel.x, s.vel.y, s.vel.z, local.pitch, local.bank, local.heading, altitude}) {
        csv.Number(value);
    }
    csv.Number(atmosphere.soundSpeed > 0.0 ? speed / atmosphere.soundSpeed : 0.0);
    csv.Number(0.5 * atmosphere.density * speed * speed);
    csv.Number(standin::TotalMass(v));
    csv.Number(ThrustOf(v, atmosphere.pressure));
    List(csv, list, v.resources, [](const standin::Resource& r) { return r.mass; });
    List(csv, list, v.thrusters, [](const standin::Thruster& t) { return t.level; });
    for (int type = AIRCTRL_ELEVATOR; type <= AIRCTRL_AILERON; ++type) {
        csv.Number(v.controlLevel[type]);
    }
    double az = 0.0, el = 0.0;
    HeadAngles(v, az, el);
    csv.Number(az).Number(el);
    if (planet.round) {
        constexpr double DEG = 180.0 / std::numbers::pi;
        physics::Geodetic where = standin::GeographicOf(planet, s, simt);
        VECTOR3 ground = standin::ToLocal(planet, s, standin::GroundVelocity(planet, s));
        csv.Number(where.latitude * DEG).Number(where.longitude * DEG);
        csv.Number(ground.x).Number(ground.y).Number(ground.z);
    }
    if (physics::AirMoves(settings.weather)) {
        VECTOR3 wind = standin::ToLocal(planet, s, standin::WindOf(settings, v));
        csv.Number(wind.x).Number(wind.y).Number(wind.z).Number(speed);
    }
    csv.End();
}

}  // namespace

double ThrustOf(const standin::Vessel& v, double pressure)
{
    double f[3] = {0.0, 0.0, 0.0};
    for (const standin::Thruster& t : v.thrusters) {
        // A thruster that gave nothing adds nothing: its Isp is not worked out.
        if (t.isp > 0.0 && t.level * t.fed != 0.0) {
            double n = t.level * t.fed * t.maxThrust * physics::IspAt(t.isp, t.ispRef, t.pressureRef, pressure) / t.isp;
            f[0] += n * t.dir.x;
            f[1] += n * t.dir.y;
            f[2] += n * t.dir.z;
        }
    }
    return std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
}

Telemetry::~Telemetry()
{
    Close();
}

bool Telemetry::Open(const std::string& path)
{
    out = formats::OpenFresh(path);
    if (out == nullptr) {
        return false;
    }
    std::fprintf(out, "%s\n", Header().c_str());
    return true;
}

void Telemetry::Keep(TelemetryColumns& columns, long long every)
{
    kept = &columns;
    keepEvery = every;
    columns = TelemetryColumns{};
    std::istringstream header(Header());
    for (std::string name; std::getline(header, name, ',');) {
        columns.names.push_back(name);
        columns.text.push_back(std::find(std::begin(TELEMETRY_TEXT_COLUMNS), std::end(TELEMETRY_TEXT_COLUMNS),
                                         name) != std::end(TELEMETRY_TEXT_COLUMNS));
    }
    columns.numbers.resize(columns.names.size());
    columns.texts.resize(columns.names.size());
}

void Telemetry::Sample()
{
    if (out == nullptr && kept == nullptr) {
        return;
    }
    double simt = zapiGetSimTime();
    if (kept != nullptr && samples++ % keepEvery == 0) {
        ColumnWriter columns(*kept);
        for (unsigned int i = 0; i < zapiGetVesselCount(); ++i) {
            Row(columns, list, *standin::Find(zapiGetVesselByIndex(static_cast<int>(i))), simt);
        }
    }
    if (out == nullptr) {
        return;
    }
    csv.Clear();
    for (unsigned int i = 0; i < zapiGetVesselCount(); ++i) {
        Row(csv, list, *standin::Find(zapiGetVesselByIndex(static_cast<int>(i))), simt);
    }
    std::fwrite(csv.Result().data(), 1, csv.Result().size(), out);
    failed = failed || std::ferror(out) != 0;
}

bool Telemetry::Close()
{
    if (out == nullptr) {
        return !failed;
    }
    failed = std::fclose(out) != 0 || failed;
    out = nullptr;
    return !failed;
}

}  // namespace runner
