// An envelope's files: envelope.csv (one row per hit interval) and envelope.json (per release
// condition: the ranges on the track, the largest cross-range, the footprint's area and the
// flights), written the same way by an envelope, a shard and a merge of shards.
#pragma once

#include <cmath>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "runner/batch/dispersion.h"
#include "runner/envelope/envelope_definition.h"

namespace runner {

/// One row of envelope.csv: a hit interval of one release condition (and target motion) and
/// bearing, or the bearing's one row when nothing hit (interval 0, no ranges).
struct EnvelopeRow {
    double altitude = 0.0;  ///< release altitude, m
    double speed = 0.0;     ///< release speed over the ground, m/s
    double bearing = 0.0;   ///< off the release track, right positive, deg
    int interval = 0;       ///< 1, 2, ... in rising range; 0 when nothing hit
    double rmin = NAN;      ///< the interval's nearest range, m
    double rmax = NAN;      ///< its farthest, m
    long long flights = 0;  ///< flights flown for the condition and bearing
    double targetSpeed = 0.0;   ///< the target's speed over the ground, m/s
    double targetCourse = NAN;  ///< its course off the release track, deg; NaN for a still target

    bool operator==(const EnvelopeRow&) const = default;
};

/// What a release condition's probes took, summed over its bearings.
struct ConditionTally {
    long long probes = 0;     ///< points probed
    long long flights = 0;    ///< flights flown
    long long undecided = 0;  ///< points still undecided at the cap on runs
};

/// What an envelope's files say about the envelope itself.
struct EnvelopeMeta {
    std::string envelope;              ///< the envelope file's name
    std::string scenario;              ///< the base scenario's file name
    std::string target;                ///< the target vessel's name
    double targetSize = 0.0;           ///< m
    double rangeMin = 0.0, rangeMax = 0.0, tolerance = 0.0, scan = 0.0;  ///< m
    std::vector<double> altitudes, speeds, bearings;  ///< m, m/s, deg
    bool targetConditions = false;     ///< the file gives target speeds: the files name each row's
    std::vector<double> targetSpeeds, targetCourses;  ///< m/s, deg off the release track
    bool probabilistic = false;
    double probability = NAN, confidence = NAN;
    long long cap = 0;                 ///< runs a point at most
    uint64_t seed = 0;
    std::vector<DispersedInput> inputs;    ///< the dispersions
    std::vector<std::string> settings; ///< the SETTING lines, as written
    int shard = 1, shards = 1;
};

/// The header of envelope.csv.
inline constexpr const char* ENVELOPE_HEADER = "altitude_m,speed_m_s,bearing_deg,interval,rmin_m,rmax_m,flights";
/// The header of envelope.csv when the file gives target speeds.
inline constexpr const char* ENVELOPE_TARGET_HEADER =
    "altitude_m,speed_m_s,target_speed_m_s,target_course_deg,bearing_deg,interval,rmin_m,rmax_m,flights";

/// The meta of envelope `def` (its target `target` of size `targetSize` m) in shard `shard` of `shards`.
EnvelopeMeta EnvelopeMetaOf(const EnvelopeDefinition& def, double targetSize, int shard, int shards);
/// The target motions of `meta`, in the order of its conditions under each release condition.
std::vector<TargetMotion> TargetMotionsOf(const EnvelopeMeta& meta);
/// Points a dense scan at the tolerance's spacing would probe: every condition and bearing.
long long DenseProbes(const EnvelopeMeta& meta);
/// envelope.json's text for `rows`, with each condition's `tallies` (altitudes outer, then speeds,
/// then target motions).
std::string EnvelopeJson(const EnvelopeMeta& meta, const std::vector<EnvelopeRow>& rows,
                         const std::vector<ConditionTally>& tallies);
/// Writes `dir`/envelope.csv and `dir`/envelope.json; false on failure.
bool WriteEnvelope(const std::string& dir, const EnvelopeMeta& meta, const std::vector<EnvelopeRow>& rows,
                   const std::vector<ConditionTally>& tallies);
/// Appends envelope.csv `in`'s rows to `rows`, saying in `targets` (when given) whether it has the
/// target columns; false with `error` when its header or a row is not one.
bool ReadEnvelopeRows(std::istream& in, std::vector<EnvelopeRow>& rows, std::string& error, bool* targets = nullptr);
/// Reads envelope.json `in`'s own fields into `meta` and its conditions' tallies into `tallies`;
/// false when it is not an envelope's.
bool ReadEnvelopeJson(std::istream& in, EnvelopeMeta& meta, std::vector<ConditionTally>& tallies);

}  // namespace runner
