// The carrier's release timing: its actions are module lines "AT <s> <station> <action> ...", and
// moving the release moves every action due at the same moment with it (the arming before it, say).
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <strings.h>

#include "formats/number_text.h"
#include "formats/scenario_document.h"

namespace formats {

namespace {

std::vector<std::string> Words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

// The time of an action line "AT <time> <station> <action> ...", NaN for any other line.
double ActionTime(const std::vector<std::string>& w)
{
    if (w.size() < 4 || strcasecmp(w[0].c_str(), "AT") != 0) {
        return NAN;
    }
    char* end = nullptr;
    double t = std::strtod(w[1].c_str(), &end);
    return *end == '\0' && std::isfinite(t) ? t : NAN;
}

// The station of an action line "AT <time> <station> <action> ...", -1 for a station that is no
// whole number.
long Station(const std::vector<std::string>& w)
{
    char* end = nullptr;
    long station = std::strtol(w[2].c_str(), &end, 10);
    return *end == '\0' && station >= 0 ? station : -1;
}

}  // namespace

std::string StationlessAction(const ScenarioVessel& vessel, int& line)
{
    long stations = 0;
    for (const ScenarioLine& l : vessel.lines) {
        std::vector<std::string> w = l.host ? std::vector<std::string>{} : Words(l.text);
        if (!w.empty() && strcasecmp(w[0].c_str(), "STATION") == 0) {
            ++stations;
        } else if (!std::isnan(ActionTime(w)) && Station(w) >= stations) {
            line = l.line;
            return "\"" + vessel.name + "\" has no station " + w[2] + " for \"" + l.text + "\" (" +
                   (stations == 0 ? std::string("no STATION line comes before it")
                                  : "its stations are 0 to " + std::to_string(stations - 1)) +
                   ")";
        }
    }
    return "";
}

bool MoveRelease(ScenarioVessel& vessel, double time)
{
    double release = NAN;
    for (const ScenarioLine& line : vessel.lines) {
        std::vector<std::string> w = line.host ? std::vector<std::string>{} : Words(line.text);
        if (std::isnan(release) && !std::isnan(ActionTime(w)) && strcasecmp(w[3].c_str(), "RELEASE") == 0) {
            release = ActionTime(w);
        }
    }
    if (std::isnan(release)) {
        return false;
    }
    for (ScenarioLine& line : vessel.lines) {
        std::vector<std::string> w = line.host ? std::vector<std::string>{} : Words(line.text);
        if (ActionTime(w) == release) {
            line.text = "AT " + FormatNumber(time);
            for (size_t k = 2; k < w.size(); ++k) {
                line.text += " " + w[k];
            }
        }
    }
    return true;
}

namespace {

// Moves the actions of `station` due at `from` to `to`.
void MoveStation(ScenarioVessel& vessel, long station, double from, double to)
{
    for (ScenarioLine& line : vessel.lines) {
        std::vector<std::string> w = line.host ? std::vector<std::string>{} : Words(line.text);
        if (ActionTime(w) == from && Station(w) == station) {
            line.text = "AT " + FormatNumber(to);
            for (size_t k = 2; k < w.size(); ++k) {
                line.text += " " + w[k];
            }
        }
    }
}

// Each releasing station's first release time, in station order (NaN for one that releases nothing).
std::vector<double> ReleaseTimes(const ScenarioVessel& vessel)
{
    std::vector<double> times;
    for (const ScenarioLine& line : vessel.lines) {
        std::vector<std::string> w = line.host ? std::vector<std::string>{} : Words(line.text);
        if (std::isnan(ActionTime(w)) || strcasecmp(w[3].c_str(), "RELEASE") != 0 || Station(w) < 0) {
            continue;
        }
        const size_t station = static_cast<size_t>(Station(w));
        times.resize(std::max(times.size(), station + 1), NAN);
        times[station] = std::isnan(times[station]) ? ActionTime(w) : times[station];
    }
    return times;
}

}  // namespace

bool MoveStationRelease(ScenarioVessel& vessel, long station, double time)
{
    const std::vector<double> times = ReleaseTimes(vessel);
    if (station < 0 || static_cast<size_t>(station) >= times.size() || std::isnan(times[static_cast<size_t>(station)])) {
        return false;
    }
    MoveStation(vessel, station, times[static_cast<size_t>(station)], time);
    return true;
}

bool SetRipple(ScenarioVessel& vessel, double ripple)
{
    const std::vector<double> times = ReleaseTimes(vessel);
    std::vector<long> order;
    for (size_t k = 0; k < times.size(); ++k) {
        if (!std::isnan(times[k])) {
            order.push_back(static_cast<long>(k));
        }
    }
    if (order.size() < 2) {
        return false;
    }
    // Earliest first, a tie in station order; the first keeps its time.
    std::stable_sort(order.begin(), order.end(), [&](long a, long b) {
        return times[static_cast<size_t>(a)] < times[static_cast<size_t>(b)];
    });
    const double first = times[static_cast<size_t>(order.front())];
    for (size_t i = 1; i < order.size(); ++i) {
        MoveStation(vessel, order[i], times[static_cast<size_t>(order[i])], first + static_cast<double>(i) * ripple);
    }
    return true;
}

}  // namespace formats
