// Envelope files: a base scenario, the release conditions and bearings to search, the range interval
// and its tolerance, and optionally dispersions with the probability of hit they must reach.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "runner/batch/definition_lines.h"
#include "runner/batch/dispersion.h"

namespace runner {

/// The most runs one probe point of a probabilistic envelope may fly.
inline constexpr long long MAX_POINT_RUNS = 100000;
/// The cap on runs a probe point of a probabilistic envelope flies when the file gives none.
inline constexpr long long DEFAULT_POINT_RUNS = 100;

/// How the target moves in one condition of an envelope.
struct TargetMotion {
    double speed = 0.0;   ///< over the ground, m/s; 0 leaves the target as the base scenario has it
    double course = NAN;  ///< off the release track, deg, right positive; NaN for a still target

    bool operator==(const TargetMotion& o) const
    {
        return speed == o.speed && (course == o.course || (std::isnan(course) && std::isnan(o.course)));
    }
};

/// The target conditions of target speeds `speeds` (m/s) and courses `courses` (deg), speeds outer:
/// a still target once, a moving one on each course; without speeds, the still target alone.
std::vector<TargetMotion> TargetMotions(const std::vector<double>& speeds, const std::vector<double>& courses);

/// A parsed envelope file.
struct EnvelopeDefinition {
    std::string path;                ///< the envelope file
    /// The base scenario (path, text and document), the SETTING lines, the VARY lines, the SEED,
    /// and in `runs` the cap on runs a probe point (RUNS), as a sweep file gives them.
    BatchDefinition batch;
    std::string carrier;             ///< the vessel that carries the missile (CARRIER)
    std::string target;              ///< the base scenario's target (its TARGET setting)
    std::vector<double> altitudes;   ///< release altitudes, m, in file order (ALTITUDES)
    std::vector<double> speeds;      ///< release speeds over the ground, m/s, in file order (SPEEDS)
    std::vector<double> targetSpeeds;   ///< target speeds over the ground, m/s, in file order (TARGET_SPEEDS)
    std::vector<double> targetCourses;  ///< target courses off the release track, deg, right positive
                                        ///< (TARGET_COURSES; 0 alone when only speeds are given)
    std::vector<double> bearings;    ///< target bearings off the release track, deg, right positive, rising (BEARINGS)
    double rangeMin = 0.0;           ///< nearest range searched, m (RANGE)
    double rangeMax = 0.0;           ///< farthest range searched, m (RANGE)
    double tolerance = 0.0;          ///< bisection stops when a change is bracketed this closely, m (TOLERANCE)
    double scan = 0.0;               ///< coarse scan's step, m (SCAN, else the default below)
    double probability = NAN;        ///< required probability of hit (PROBABILITY), with dispersions
    double confidence = 0.9;         ///< confidence of the decision (CONFIDENCE), with dispersions

    /// Whether each probe point is a small Monte Carlo rather than one flight.
    bool Probabilistic() const { return !batch.dispersions.empty(); }
    /// Whether the file gives the target's speeds: its outputs then name each condition's.
    bool TargetConditions() const { return !targetSpeeds.empty(); }
};

/// The coarse step when the file gives none: a sixteenth of the range interval, never below the
/// tolerance, m.
inline double DefaultScan(double rangeMin, double rangeMax, double tolerance)
{
    return std::fmax((rangeMax - rangeMin) / 16.0, tolerance);
}

/// Reads the envelope file `path` into `def`; false with `error` as "file:line: reason".
bool ReadEnvelope(const std::string& path, EnvelopeDefinition& def, std::string& error);
/// Reads the envelope definition `text` into `def`; false with `error` as "<where>: reason".
bool ReadEnvelope(const DefinitionText& text, EnvelopeDefinition& def, std::string& error);

}  // namespace runner
