#include "runner/telemetry.h"

#include <charconv>
#include <cmath>

#include "physics/atmosphere.h"
#include "physics/thrust.h"
#include "runner/seeker_head.h"
#include "runtime/host_control.h"

namespace runner {

namespace {

void Put(std::FILE* out, double value, char after = ',')
{
    char text[32];
    auto result = std::to_chars(text, text + sizeof text, value);
    std::fwrite(text, 1, static_cast<size_t>(result.ptr - text), out);
    std::fputc(after, out);
}

// A vessel's name as a CSV field: in double quotes (inner ones doubled) when it holds a comma or a
// quote, so that a reader splitting on commas keeps every column in its place.
void PutName(std::FILE* out, const std::string& name)
{
    if (name.find_first_of(",\"") == std::string::npos) {
        std::fprintf(out, "%s,", name.c_str());
        return;
    }
    std::fputc('"', out);
    for (char c : name) {
        if (c == '"') {
            std::fputc('"', out);
        }
        std::fputc(c, out);
    }
    std::fputs("\",", out);
}

void Row(std::FILE* out, const standin::Vessel& v, double simt)
{
    const standin::VesselState& s = v.state;
    double speed = std::sqrt(s.vel.x * s.vel.x + s.vel.y * s.vel.y + s.vel.z * s.vel.z);
    physics::AirState air = physics::Atmosphere(s.pos.y);
    double up = s.rot[1][2];
    double pitch = std::asin(up > 1.0 ? 1.0 : (up < -1.0 ? -1.0 : up));
    double bank = std::atan2(-s.rot[1][0], s.rot[1][1]);
    double heading = std::atan2(s.rot[0][2], s.rot[2][2]);
    // Thrust as the thrusters gave it over the last step, summed as vectors (a balanced ring gives 0).
    double f[3] = {0.0, 0.0, 0.0};
    for (const standin::Thruster& t : v.thrusters) {
        if (t.isp > 0.0) {
            double n = t.level * t.fed * t.maxThrust * physics::IspAt(t.isp, t.ispRef, t.pressureRef, air.pressure) / t.isp;
            f[0] += n * t.dir.x;
            f[1] += n * t.dir.y;
            f[2] += n * t.dir.z;
        }
    }
    Put(out, simt);
    PutName(out, v.name);
    for (double value : {s.pos.x, s.pos.y, s.pos.z, s.vel.x, s.vel.y, s.vel.z, pitch, bank, heading, s.pos.y}) {
        Put(out, value);
    }
    Put(out, air.soundSpeed > 0.0 ? speed / air.soundSpeed : 0.0);
    Put(out, 0.5 * air.density * speed * speed);
    Put(out, standin::TotalMass(v));
    Put(out, std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]));
    for (size_t i = 0; i < v.resources.size(); ++i) {
        Put(out, v.resources[i].mass, i + 1 < v.resources.size() ? ';' : ',');
    }
    if (v.resources.empty()) {
        std::fputc(',', out);
    }
    for (size_t i = 0; i < v.thrusters.size(); ++i) {
        Put(out, v.thrusters[i].level, i + 1 < v.thrusters.size() ? ';' : ',');
    }
    if (v.thrusters.empty()) {
        std::fputc(',', out);
    }
    for (int type = AIRCTRL_ELEVATOR; type <= AIRCTRL_AILERON; ++type) {
        Put(out, v.controlLevel[type]);
    }
    double az = 0.0, el = 0.0;
    HeadAngles(v, az, el);
    Put(out, az);
    Put(out, el, '\n');
}

}  // namespace

Telemetry::~Telemetry()
{
    Close();
}

bool Telemetry::Open(const std::string& path)
{
    out = std::fopen(path.c_str(), "w");
    if (out == nullptr) {
        return false;
    }
    std::fprintf(out, "%s\n", TELEMETRY_HEADER);
    return true;
}

void Telemetry::Sample()
{
    if (out == nullptr) {
        return;
    }
    double simt = zapiGetSimTime();
    for (unsigned int i = 0; i < zapiGetVesselCount(); ++i) {
        Row(out, *standin::Find(zapiGetVesselByIndex(static_cast<int>(i))), simt);
    }
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
