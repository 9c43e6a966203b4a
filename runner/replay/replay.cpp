// karvex replay: one self-contained page that plays a run back in 3D, the run's telemetry, its
// milestones and events, the page's script and the 3D library all inlined, so it opens offline.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "formats/fresh_file.h"
#include "runner/program/exit_codes.h"
#include "runner/program/paths.h"
#include "runner/replay/replay.h"
#include "runner/replay/replay_telemetry.h"
#include "runner/replay/replay_weapons.h"

namespace runner {

namespace {

using Json = nlohmann::json;

// Samples kept per vessel: a long run at a high telemetry rate is thinned to this many, evenly.
constexpr size_t MAX_SAMPLES = 4000;
// Events listed for the panel's "last event"; a run with more keeps its first ones.
constexpr size_t MAX_EVENTS = 2000;

// Phases of a trail sample, as the page colours them.
enum Phase { CARRIED = 0, BOOST = 1, SUSTAIN = 2, GLIDE = 3, WARHEAD = 4 };

// The page's pieces, found beside the program where the build copied them.
constexpr const char* ASSETS[] = {"replay.html", "three.min.js", "OrbitControls.js"};
// The player's scripts, inlined into one script element in this order; the last starts the player.
constexpr const char* SCRIPTS[] = {"replay_scene.js",  "replay_models.js",   "replay_overlay.js",
                                   "replay_motion.js", "replay_views.js",    "replay_panel.js",
                                   "replay_controls.js", "replay_player.js"};
// A salvo's player, put in before the last script so that it can wrap the others before they run.
constexpr const char* SALVO_SCRIPT = "replay_salvo.js";

double Milestone(const Json& milestones, const char* name)
{
    const Json time = milestones.is_object() ? milestones.value(name, Json()) : Json();
    return time.is_number() ? time.get<double>() : NAN;
}

// Rounded to 1/`scale`, so the page carries what the eye can see and no more.
double Rounded(double value, double scale)
{
    return std::isfinite(value) ? std::round(value * scale) / scale : 0.0;
}

Phase PhaseAt(double t, double thrust, double release, double boosterCut, double ignition)
{
    if (!std::isnan(release) && t < release) {
        return CARRIED;
    }
    if (!std::isnan(ignition) && t >= ignition) {
        return WARHEAD;
    }
    if (thrust > 0.0) {
        return !std::isnan(boosterCut) && t >= boosterCut ? SUSTAIN : BOOST;
    }
    return GLIDE;
}

// A vessel's samples for the page; `milestones` are its own when it is a watched weapon, else null
// (its trail then stays in the carried colour).
Json TrackJson(const std::string& name, const Track& track, const Json* milestones)
{
    const bool watched = milestones != nullptr;
    const double release = watched ? Milestone(*milestones, "release") : NAN;
    const double boosterCut = watched ? Milestone(*milestones, "booster_cut") : NAN;
    const double ignition = watched ? Milestone(*milestones, "ignition") : NAN;
    const size_t stride = (track.rows + MAX_SAMPLES - 1) / MAX_SAMPLES;
    Json out = {{"name", name}};
    struct Field {
        const char* key;
        const char* column;
        double scale;
    };
    static const Field FIELDS[] = {{"t", "time_s", 1e4},        {"x", "x_m", 1e2},
                                   {"y", "y_m", 1e2},           {"z", "z_m", 1e2},
                                   {"pitch", "pitch_rad", 1e5}, {"bank", "bank_rad", 1e5},
                                   {"heading", "heading_rad", 1e5}, {"alt", "altitude_m", 1e1},
                                   {"mach", "mach", 1e3},       {"az", "head_az_rad", 1e5},
                                   {"el", "head_el_rad", 1e5}};
    std::vector<size_t> rows;
    for (size_t i = 0; i < track.rows; i += stride) {
        rows.push_back(i);
    }
    if (rows.empty() || rows.back() + 1 != track.rows) {
        rows.push_back(track.rows - 1);  // the last sample, where the flight ended, always stays
    }
    for (const Field& f : FIELDS) {
        const std::vector<double>& column = track.columns.at(f.column);
        Json values = Json::array();
        for (size_t i : rows) {
            values.push_back(Rounded(column[i], f.scale));
        }
        out[f.key] = std::move(values);
    }
    const std::vector<double>& vx = track.columns.at("vx_m_s");
    const std::vector<double>& vy = track.columns.at("vy_m_s");
    const std::vector<double>& vz = track.columns.at("vz_m_s");
    const std::vector<double>& t = track.columns.at("time_s");
    const std::vector<double>& thrust = track.columns.at("thrust_n");
    Json speed = Json::array(), phase = Json::array();
    for (size_t i : rows) {
        speed.push_back(Rounded(std::sqrt(vx[i] * vx[i] + vy[i] * vy[i] + vz[i] * vz[i]), 1e2));
        phase.push_back(watched ? PhaseAt(t[i], thrust[i], release, boosterCut, ignition) : CARRIED);
    }
    out["speed"] = std::move(speed);
    out["phase"] = std::move(phase);
    if (track.columns.count("wind_east_m_s") != 0) {
        // The wind's horizontal speed and the direction it blows from, clockwise from north.
        const std::vector<double>& east = track.columns.at("wind_east_m_s");
        const std::vector<double>& north = track.columns.at("wind_north_m_s");
        Json wind = Json::array(), from = Json::array();
        for (size_t i : rows) {
            wind.push_back(Rounded(std::hypot(east[i], north[i]), 1e1));
            from.push_back(Rounded(std::fmod(std::atan2(-east[i], -north[i]) * (180.0 / std::numbers::pi) + 360.0, 360.0),
                                   1e0));
        }
        out["wind"] = std::move(wind);
        out["windFrom"] = std::move(from);
    }
    return out;
}

// The run's data for the page: which vessel is which, the milestones, the events and the tracks.
Json ReplayData(const Json& summary, const std::vector<std::string>& order, const std::map<std::string, Track>& tracks)
{
    Json data = {{"missile", summary.value("missile", Json())},
                 {"target", summary.value("target", Json())},
                 {"targetSize", summary.value("target_size_m", Json())},
                 {"milestones", summary.value("milestones", Json::object())}};
    Json events = Json::array();
    if (summary.contains("events") && summary["events"].is_array()) {
        for (const Json& e : summary["events"]) {
            if (events.size() == MAX_EVENTS) {
                break;
            }
            if (e.is_object() && e.value("time_s", Json()).is_number() && e.value("text", Json()).is_string()) {
                events.push_back({{"t", e["time_s"]}, {"text", e["text"]}});
            }
        }
    }
    data["events"] = std::move(events);
    std::map<std::string, Json> watched;
    AddWeapons(summary, data, watched);
    Json vessels = Json::array();
    for (const std::string& name : order) {
        const auto own = watched.find(name);
        vessels.push_back(TrackJson(name, tracks.at(name), own == watched.end() ? nullptr : &own->second));
    }
    data["vessels"] = std::move(vessels);
    return data;
}

// JSON text `json` that no text in it can end, or change the parsing of, the script element it sits
// in ("</script>", "<!--<script>"): every < and & is written as its \u escape, which JSON reads back
// as the same character. Only a < can lead the browser out of plain script text, so a > ("0 -> 1")
// stays as it is: the page's bytes change only where a string holds a < or an &.
std::string ScriptSafe(const std::string& json)
{
    std::string out;
    out.reserve(json.size());
    for (char c : json) {
        if (c == '<') {
            out += "\\u003c";
        } else if (c == '&') {
            out += "\\u0026";
        } else {
            out += c;
        }
    }
    return out;
}

std::string ReadAll(const std::filesystem::path& path, bool& ok)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    ok = static_cast<bool>(in);
    return text.str();
}

// Reads the page's piece `name` from `assets` into `text`; false, saying so, when it cannot.
bool ReadAsset(const std::filesystem::path& assets, const char* name, std::string& text)
{
    bool ok = false;
    text = ReadAll(assets / name, ok);
    if (!ok) {
        std::fprintf(stderr, "karvex replay: cannot read %s (the build copies it beside the program)\n",
                     (assets / name).c_str());
    }
    return ok;
}

// The template with each mark replaced by its text, the marks found in the template in this order
// (never in a text put in before them); false when one is missing.
bool Fill(const std::string& page, const std::vector<std::pair<std::string, std::string>>& fills, std::string& out)
{
    size_t from = 0;
    for (const auto& [mark, text] : fills) {
        size_t at = page.find(mark, from);
        if (at == std::string::npos) {
            return false;
        }
        out.append(page, from, at - from).append(text);
        from = at + mark.size();
    }
    out.append(page, from, std::string::npos);
    return true;
}

}  // namespace

int Replay(const std::string& outDir, const std::string& assetDir)
{
    namespace fs = std::filesystem;
    const fs::path dir(outDir);
    for (const char* name : {"telemetry.csv", "summary.json"}) {
        if (!fs::is_regular_file(dir / name)) {
            std::fprintf(stderr, "karvex replay: %s has no %s: run a scenario into it first\n", outDir.c_str(), name);
            return EXIT_SCENARIO;
        }
    }
    bool ok = false;
    Json summary = Json::parse(ReadAll(dir / "summary.json", ok), nullptr, false);
    if (!ok || !summary.is_object()) {
        std::fprintf(stderr, "karvex replay: %s is not a run's summary\n", (dir / "summary.json").c_str());
        return EXIT_SCENARIO;
    }
    std::vector<std::string> order;
    std::map<std::string, Track> tracks;
    std::string error = ReadTelemetry(dir / "telemetry.csv", order, tracks);
    if (!error.empty()) {
        std::fprintf(stderr, "karvex replay: %s\n", error.c_str());
        return EXIT_SCENARIO;
    }
    const fs::path assets = assetDir.empty() ? ProgramDir() : fs::path(assetDir);
    std::map<std::string, std::string> parts;
    std::string scripts;
    for (const char* name : ASSETS) {
        if (!ReadAsset(assets, name, parts[name])) {
            return EXIT_FAILED;
        }
    }
    std::vector<const char*> names(std::begin(SCRIPTS), std::end(SCRIPTS));
    if (IsSalvo(summary)) {
        names.insert(names.end() - 1, SALVO_SCRIPT);
    }
    for (const char* name : names) {
        std::string script;
        if (!ReadAsset(assets, name, script)) {
            return EXIT_FAILED;
        }
        scripts += (scripts.empty() ? "" : "\n") + script;
    }
    const std::string data =
        ScriptSafe(ReplayData(summary, order, tracks).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    std::string page;
    if (!Fill(parts["replay.html"],
              {{"/*THREE*/", parts["three.min.js"] + "\n" + parts["OrbitControls.js"]},
               {"/*DATA*/", data},
               {"/*REPLAY*/", scripts}},
              page)) {
        std::fprintf(stderr, "karvex replay: %s lacks a place for its scripts or data\n",
                     (assets / "replay.html").c_str());
        return EXIT_FAILED;
    }
    const fs::path path = dir / "replay.html";
    if (!formats::ReplaceFile(path.string(), page)) {
        std::fprintf(stderr, "karvex replay: cannot write %s\n", path.c_str());
        return EXIT_FAILED;
    }
    std::printf("wrote %s (%.2f MB)\n", path.c_str(), static_cast<double>(page.size()) / 1e6);
    return EXIT_OK;
}

}  // namespace runner
