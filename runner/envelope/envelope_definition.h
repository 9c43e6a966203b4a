// Envelope files: a base scenario, the release conditions and bearings to search, the range interval
// and its tolerance, and optionally dispersions with the probability of hit they must reach.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "runner/batch/dispersion.h"

namespace runner {

/// The most runs one probe point of a probabilistic envelope may fly.
inline constexpr long long MAX_POINT_RUNS = 100000;
/// The cap on runs a probe point of a probabilistic envelope flies when the file gives none.
inline constexpr long long DEFAULT_POINT_RUNS = 100;

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
    std::vector<double> bearings;    ///< target bearings off the release track, deg, right positive, rising (BEARINGS)
    double rangeMin = 0.0;           ///< nearest range searched, m (RANGE)
    double rangeMax = 0.0;           ///< farthest range searched, m (RANGE)
    double tolerance = 0.0;          ///< bisection stops when a change is bracketed this closely, m (TOLERANCE)
    double scan = 0.0;               ///< coarse scan's step, m (SCAN, else the default below)
    double probability = NAN;        ///< required probability of hit (PROBABILITY), with dispersions
    double confidence = 0.9;         ///< confidence of the decision (CONFIDENCE), with dispersions

    /// Whether each probe point is a small Monte Carlo rather than one flight.
    bool Probabilistic() const { return !batch.dispersions.empty(); }
};

/// The coarse step when the file gives none: a sixteenth of the range interval, never below the
/// tolerance, m.
inline double DefaultScan(double rangeMin, double rangeMax, double tolerance)
{
    return std::fmax((rangeMax - rangeMin) / 16.0, tolerance);
}

/// Reads the envelope file `path` into `def`; false with `error` as "file:line: reason".
bool ReadEnvelope(const std::string& path, EnvelopeDefinition& def, std::string& error);

}  // namespace runner
