// The seeker: each step it ranks every other vessel near its look direction, then centres,
// sweeps its pattern or follows the best candidate.
#include <cmath>

#include "host/zapi.h"
#include "missile/guided_missile.h"
#include "missile/missile_params.h"

// A circle of 27.5 deg at 30 deg steps, from straight up toward +azimuth. Point 4 sits at
// 28.82 deg azimuth, off the circle; the pattern is flown as tabled.
const ScanPoint scanPattern[GuidedMissile::SCAN_POINTS] = {
    {0 * RAD, 27.5 * RAD},
    {13.75 * RAD, 23.82 * RAD},
    {23.82 * RAD, 13.75 * RAD},
    {27.5 * RAD, 0 * RAD},
    {28.82 * RAD, -13.75 * RAD},
    {13.75 * RAD, -23.82 * RAD},
    {0 * RAD, -27.5 * RAD},
    {-13.75 * RAD, -23.82 * RAD},
    {-23.82 * RAD, -13.75 * RAD},
    {-27.5 * RAD, 0 * RAD},
    {-23.82 * RAD, 13.75 * RAD},
    {-13.75 * RAD, 23.82 * RAD},
};

namespace {

/// Seeker states.
constexpr int STATE_CENTRING = -4;  ///< back to the boresight, then the pattern from point 0
constexpr int STATE_TRACKING = -3;  ///< following candidate row 0
constexpr int STATE_OUT = 0;        ///< boresight out to the pattern point
constexpr int STATE_ACROSS = 1;     ///< across the boresight to the opposite point
constexpr int STATE_BACK = 2;       ///< back to the boresight, then the next point

/// The pattern advances five points per leg, so that successive legs cross the circle.
constexpr int SCAN_ADVANCE = 5;

/// A vessel qualifies only this close to the look direction (strictly), rad.
const double ACCEPTANCE_ANGLE = SEEKER_FOV * 0.5;
/// A vessel must appear at least this large, rad.
const double MIN_ANGULAR_SIZE = std::sin(SEEKER_FOV) * 0.003125;

/// The seeker's look direction at zero angles.
constexpr VECTOR3 BORESIGHT = {0.0, 0.0, 1.0};

/// Length of `v`, m.
double Length(const VECTOR3& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

/// One axis moved by `step` toward `target`, landing exactly on it when it reaches or passes it.
double Approach(double current, double step, double target)
{
    const double next = current + step;
    if (step < 0.0) {
        return next <= target ? target : next;
    }
    return next >= target ? target : next;
}

}  // namespace

double GuidedMissile::CosAngle(const VECTOR3& a, const VECTOR3& b)
{
    const double lengths = Length(a) * Length(b);
    if (lengths == 0.0) {
        return 0.0;
    }
    return (a.x * b.x + a.y * b.y + a.z * b.z) / lengths;
}

bool GuidedMissile::LookAngles(const VECTOR3& local, double& az, double& el)
{
    const double range = Length(local);
    // Abeam, behind, or at the missile itself.
    if (!(CosAngle(BORESIGHT, local) > 0.0)) {
        return false;
    }
    if (range == 0.0) {
        return false;
    }
    az = std::asin(local.x / range);
    el = std::asin(local.y / range);
    return true;
}

void GuidedMissile::ClearCandidates()
{
    for (HostHandle& row : candidateVessel) {
        row = nullptr;
    }
}

void GuidedMissile::InsertCandidate(HostHandle vessel, double azOffset, double elOffset, double size,
                                    double distance)
{
    // A null handle would end the used rows early and hide the rows behind it.
    if (vessel == nullptr) {
        return;
    }
    int row = 0;
    while (row < CANDIDATE_ROWS && candidateVessel[row] != nullptr) {
        if (distance < candidateDistance[row] ||
            (distance == candidateDistance[row] && size > candidateSize[row])) {
            break;
        }
        ++row;
    }
    if (row == CANDIDATE_ROWS) {
        return;
    }
    // Make room; the last row falls out.
    for (int k = CANDIDATE_ROWS - 1; k > row; --k) {
        candidateVessel[k] = candidateVessel[k - 1];
        candidateAzOffset[k] = candidateAzOffset[k - 1];
        candidateElOffset[k] = candidateElOffset[k - 1];
        candidateDistance[k] = candidateDistance[k - 1];
        candidateSize[k] = candidateSize[k - 1];
    }
    candidateVessel[row] = vessel;
    candidateAzOffset[row] = azOffset;
    candidateElOffset[row] = elOffset;
    candidateDistance[row] = distance;
    candidateSize[row] = size;
}

namespace {

/// Sine of a look angle at the edge of the acceptance cone about `centre`, moved outward by a margin
/// far above rounding, or an infinity where the cone's edge lies beyond +-90 deg (`side` +1 or -1).
double EdgeSine(double centre, double side)
{
    const double edge = centre + side * ACCEPTANCE_ANGLE;
    if (!(std::fabs(edge) < 0.5 * PI)) {
        return side * HUGE_VAL;
    }
    return std::sin(edge) + side * 1e-9;
}

}  // namespace

bool GuidedMissile::ScanForTargets()
{
    ClearCandidates();
    bool found = false;
    // Exact early rejections, taken before the trigonometry: a direction cosine beyond these bounds
    // puts the look angle on that axis alone past the acceptance angle, so the full test would fail.
    const double azLow = EdgeSine(seekerAz, -1.0), azHigh = EdgeSine(seekerAz, 1.0);
    const double elLow = EdgeSine(seekerEl, -1.0), elHigh = EdgeSine(seekerEl, 1.0);
    const unsigned int count = zapiGetVesselCount();
    for (unsigned int i = 0; i < count; ++i) {
        const HostHandle vessel = zapiGetVesselByIndex(static_cast<int>(i));
        if (vessel == GetHandle()) {
            continue;
        }
        VECTOR3 global;
        zapiGetGlobalPos(vessel, global);
        const double vesselSize = zapiGetSize(vessel);
        VECTOR3 local;
        Global2Local(global, local);
        // Behind or abeam (the boresight's cosine would not be above 0), or off to one side.
        if (!(local.z > 0.0)) {
            continue;
        }
        const double range = Length(local);
        const double sx = local.x / range, sy = local.y / range;
        if (sx < azLow || sx > azHigh || sy < elLow || sy > elHigh) {
            continue;
        }
        double az;
        double el;
        if (!LookAngles(local, az, el)) {
            continue;
        }
        const double azOffset = az - seekerAz;
        const double elOffset = el - seekerEl;
        const double distance = std::sqrt(elOffset * elOffset + azOffset * azOffset);
        if (!(distance < ACCEPTANCE_ANGLE)) {
            continue;
        }
        // Nearer than its own size the arcsine has no real value, and the test fails.
        const double angularSize = std::asin(vesselSize / Length(local));
        if (!(angularSize >= MIN_ANGULAR_SIZE)) {
            continue;
        }
        InsertCandidate(vessel, azOffset, elOffset, angularSize, distance);
        found = true;
    }
    return found;
}

void GuidedMissile::SlewSeeker(double az, double el, double simdt)
{
    const double maxTurn = SEEKER_SLEW_RATE * simdt;
    const double azError = az - seekerAz;
    const double elError = el - seekerEl;
    const double error = std::sqrt(elError * elError + azError * azError);
    if (!(error > 0.0)) {
        return;
    }
    // A step of no length (or a bad one) turns nothing, whichever side of the command an axis lies.
    if (!(maxTurn > 0.0)) {
        return;
    }
    // Straight toward the command in the (azimuth, elevation) plane.
    const double azStep = azError / error * maxTurn;
    const double elStep = elError / error * maxTurn;
    seekerEl = Approach(seekerEl, elStep, el);
    seekerAz = Approach(seekerAz, azStep, az);
}

void GuidedMissile::SeekerStep(double, double simdt)
{
    targetLocked = false;
    // The scan looks along the direction held at the start of the step, before this step's slew.
    const bool found = ScanForTargets();

    switch (seekerState) {
    case STATE_CENTRING:
        SlewSeeker(0.0, 0.0, simdt);
        if (seekerAz == 0.0 && seekerEl == 0.0) {
            seekerState = STATE_OUT;
            scanIndex = 0;
        }
        break;
    case STATE_OUT: {
        const ScanPoint& point = scanPattern[scanIndex];
        SlewSeeker(point.azimuth, point.elevation, simdt);
        if (seekerAz == point.azimuth && seekerEl == point.elevation) {
            seekerState = STATE_ACROSS;
        }
        break;
    }
    case STATE_ACROSS: {
        const ScanPoint& point = scanPattern[scanIndex];
        SlewSeeker(-point.azimuth, -point.elevation, simdt);
        if (seekerAz == -point.azimuth && seekerEl == -point.elevation) {
            seekerState = STATE_BACK;
        }
        break;
    }
    case STATE_BACK:
        SlewSeeker(0.0, 0.0, simdt);
        if (seekerAz == 0.0 && seekerEl == 0.0) {
            scanIndex = (scanIndex + SCAN_ADVANCE) % SCAN_POINTS;
            seekerState = STATE_OUT;
        }
        break;
    case STATE_TRACKING:
        if (!found) {
            // Lost: centre and start the pattern again.
            seekerState = STATE_CENTRING;
            return;
        }
        SlewSeeker(seekerAz + candidateAzOffset[0], seekerEl + candidateElOffset[0], simdt);
        targetLocked = true;
        break;
    default:
        break;
    }

    // Any scanning state, also one entered in this step, locks on what the scan found.
    if (found && seekerState >= 0) {
        seekerState = STATE_TRACKING;
        targetLocked = true;
    }
}
