// The seeker in a world of placed vessels: which vessels qualify, how they rank, the scan
// pattern, locking, tracking and losing a target, and the slew.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "allocation_counter.h"
#include "bound_missile.h"
#include "missile/missile_params.h"

namespace {

/// A vessel qualifies strictly inside this angle of the look direction, rad.
const double ACCEPTANCE = SEEKER_FOV * 0.5;
/// Step length, s, and the largest turn in one step, rad (1 degree).
constexpr double DT = 0.1;
const double STEP_TURN = SEEKER_SLEW_RATE * DT;

constexpr int CENTRING = -4;
constexpr int TRACKING = -3;
constexpr int OUT = 0;
constexpr int ACROSS = 1;
constexpr int BACK = 2;

/// The missile sits level at 3 m with its body axes along the global ones, so a body-frame
/// position maps onto the global frame by a shift of 3 m in y; with y = 0 both are the same
/// numbers and the seeker sees exactly the angles a test builds.
class SeekerTest : public BoundMissileTest {
protected:
    /// A plain body at `local` (missile body frame, m) of size `size` m.
    HostHandle Place(const VECTOR3& local, double size = 1.0)
    {
        standin::VesselDesc desc;
        desc.size = size;
        desc.pos = GlobalOf(local);
        return standin::CreateBody(desc);
    }

    static VECTOR3 GlobalOf(const VECTOR3& local) { return {local.x, 3.0 + local.y, local.z}; }

    /// A body-frame point `range` m away at azimuth `az` and elevation `el` (rad).
    static VECTOR3 Direction(double az, double el, double range = 1000.0)
    {
        return {range * std::sin(az) * std::cos(el), range * std::sin(el), range * std::cos(az) * std::cos(el)};
    }

    void Step() { missile->SeekerStep(0.0, DT); }
};

// A null vessel is never ranked: it would end the used rows early and hide the rows behind it.
TEST_F(SeekerTest, NullCandidateIsIgnored)
{
    missile->ClearCandidates();
    missile->InsertCandidate(nullptr, 0.0, 0.0, 1.0, 0.0);
    EXPECT_EQ(missile->candidateVessel[0], nullptr);
}

// A state the seeker does not know (a corrupt or future value) neither turns the head nor locks
// anything, with nothing in view.
TEST_F(SeekerTest, UnknownStateHoldsStill)
{
    missile->seekerState = 5;
    missile->seekerAz = 0.1;
    Step();
    EXPECT_EQ(missile->seekerState, 5);
    EXPECT_EQ(missile->seekerAz, 0.1);
    EXPECT_FALSE(missile->targetLocked);
}

TEST_F(SeekerTest, CosAngleOfAZeroVectorIsZero)
{
    EXPECT_EQ(missile->CosAngle({0, 0, 0}, {1, 2, 3}), 0.0);
    EXPECT_EQ(missile->CosAngle({1, 2, 3}, {0, 0, 0}), 0.0);
    EXPECT_EQ(missile->CosAngle({2, 0, 0}, {3, 0, 0}), 1.0);
    EXPECT_EQ(missile->CosAngle({0, 2, 0}, {0, 0, -3}), 0.0);
    EXPECT_EQ(missile->CosAngle({0, 0, 2}, {0, 0, -3}), -1.0);
}

TEST_F(SeekerTest, LookAnglesTurnTowardRightAndUpAndExistOnlyAhead)
{
    double az = 0.0;
    double el = 0.0;
    ASSERT_TRUE(missile->LookAngles({3, -4, 12}, az, el));
    EXPECT_EQ(az, std::asin(3.0 / 13.0));
    EXPECT_EQ(el, std::asin(-4.0 / 13.0));
    for (const VECTOR3& local : {VECTOR3{1, 0, 0}, VECTOR3{0, -2, 0}, VECTOR3{0, 0, -1}, VECTOR3{0, 0, 0}}) {
        EXPECT_FALSE(missile->LookAngles(local, az, el)) << local.x << " " << local.y << " " << local.z;
    }
}

TEST_F(SeekerTest, VesselsAbeamBehindAtTheMissileOrWithinTheirSizeNeverQualify)
{
    Place({10, 0, 0});
    Place({0, 0, -10});
    Place({0, 0, 0});
    Place({0, 0, 5}, 6.0);
    // A host's answers can be infinite: such a vessel has no direction to look along.
    ASSERT_NE(Place({0, 0, INFINITY}, INFINITY), nullptr);
    ASSERT_NE(Place({0, 0, INFINITY}), nullptr);
    // Each would sit right in the look direction if it were taken.
    EXPECT_FALSE(missile->ScanForTargets());
    missile->seekerAz = std::asin(1.0);
    EXPECT_FALSE(missile->ScanForTargets());

    missile->seekerAz = 0.0;
    HostHandle ahead = Place({0, 0, 1000});
    EXPECT_TRUE(missile->ScanForTargets());
    EXPECT_EQ(missile->candidateVessel[0], ahead);
    EXPECT_EQ(missile->candidateVessel[1], nullptr);
}

// A vessel on the boresight has look angles of exactly 0, so its angular distance is exactly
// the seeker's own offset (the square root of a square is exact).
TEST_F(SeekerTest, OnlyVesselsStrictlyInsideTwoAndAHalfDegreesQualify)
{
    ASSERT_EQ(std::sqrt(ACCEPTANCE * ACCEPTANCE), ACCEPTANCE);
    HostHandle target = Place({0, 0, 1024});
    const double inside = std::nextafter(ACCEPTANCE, 0.0);

    missile->seekerAz = -ACCEPTANCE;
    EXPECT_FALSE(missile->ScanForTargets());
    missile->seekerAz = -inside;
    ASSERT_TRUE(missile->ScanForTargets());
    EXPECT_EQ(missile->candidateVessel[0], target);
    // Offsets are the vessel's angles less the seeker's.
    EXPECT_EQ(missile->candidateAzOffset[0], inside);
    EXPECT_EQ(missile->candidateElOffset[0], 0.0);
    EXPECT_EQ(missile->candidateDistance[0], inside);

    missile->seekerAz = 0.0;
    missile->seekerEl = ACCEPTANCE;
    EXPECT_FALSE(missile->ScanForTargets());
    missile->seekerEl = inside;
    EXPECT_TRUE(missile->ScanForTargets());
    EXPECT_EQ(missile->candidateElOffset[0], -inside);
}

// At a range of 1024 m on the boresight, size / range is the size scaled by a power of two, so a
// size whose arcsine is exactly the minimum can be found among the doubles next to its sine.
TEST_F(SeekerTest, AVesselOfExactlyTheMinimumAngularSizeQualifies)
{
    const double minimum = std::sin(SEEKER_FOV) * 0.003125;
    double ratio = std::sin(minimum);
    for (int i = 0; i < 64 && std::asin(ratio) < minimum; ++i) {
        ratio = std::nextafter(ratio, 1.0);
    }
    for (int i = 0; i < 64 && std::asin(ratio) > minimum; ++i) {
        ratio = std::nextafter(ratio, 0.0);
    }
    ASSERT_EQ(std::asin(ratio), minimum);
    HostHandle target = Place({0, 0, 1024}, ratio * 1024);

    ASSERT_TRUE(missile->ScanForTargets());
    EXPECT_EQ(missile->candidateSize[0], minimum);
    standin::Find(target)->size = std::nextafter(ratio, 0.0) * 1024;
    EXPECT_FALSE(missile->ScanForTargets());
}

TEST_F(SeekerTest, TableKeepsTheTenNearestInOrderOfDistance)
{
    // Vessel k sits k m right of the boresight, 1000 m ahead; created out of order.
    const int order[] = {11, 3, 7, 0, 10, 5, 1, 9, 2, 8, 4, 6};
    HostHandle byOffset[12] = {};
    for (int k : order) {
        byOffset[k] = Place({static_cast<double>(k), 0, 1000});
    }
    ASSERT_TRUE(missile->ScanForTargets());
    for (int row = 0; row < GuidedMissile::CANDIDATE_ROWS; ++row) {
        EXPECT_EQ(missile->candidateVessel[row], byOffset[row]) << "row " << row;
        if (row > 0) {
            EXPECT_LT(missile->candidateDistance[row - 1], missile->candidateDistance[row]);
        }
    }
}

TEST_F(SeekerTest, AtEqualDistanceTheLargerVesselRanksFirstThenTheEarlierOne)
{
    HostHandle small = Place({-10, 0, 1000}, 1.0);
    HostHandle largeRight = Place({10, 0, 1000}, 2.0);
    HostHandle largeLeft = Place({-10, 0, 1000}, 2.0);
    ASSERT_TRUE(missile->ScanForTargets());
    ASSERT_EQ(missile->candidateDistance[0], missile->candidateDistance[2]);
    EXPECT_EQ(missile->candidateVessel[0], largeRight);
    EXPECT_EQ(missile->candidateVessel[1], largeLeft);
    EXPECT_EQ(missile->candidateVessel[2], small);
    EXPECT_EQ(missile->candidateVessel[3], nullptr);
}

TEST_F(SeekerTest, AStepAsksAboutEveryVesselOnce)
{
    for (int k = 0; k < 5; ++k) {
        Place({static_cast<double>(k), 0, 1000});
    }
    standin::ClearJournal();
    Step();
    std::vector<std::string> expected = {"zapiGetVesselCount"};
    for (int i = 0; i < 6; ++i) {
        expected.push_back("zapiGetVesselByIndex " + std::to_string(i));
        expected.push_back("GetHandle");
        if (i > 0) {
            const std::string vessel = "V" + std::to_string(i);
            expected.push_back("zapiGetGlobalPos " + vessel);
            expected.push_back("zapiGetSize " + vessel);
            expected.push_back("Global2Local (" + std::to_string(i - 1) + ",3,1000)");
        }
    }
    EXPECT_EQ(JournalTexts(), expected);
}

TEST_F(SeekerTest, AStepWithManyVesselsAllocatesNothing)
{
    for (int k = 0; k < 200; ++k) {
        Place({static_cast<double>(k % 20), static_cast<double>(k / 20), 1000});
    }
    standin::SetJournal(0);
    missile->seekerState = CENTRING;
    const size_t before = AllocationCount();
    for (int i = 0; i < 50; ++i) {
        Step();
    }
    EXPECT_EQ(AllocationCount(), before);
    EXPECT_TRUE(missile->targetLocked);
}

TEST_F(SeekerTest, LoneMissileSweepsThePatternPointsInTheirOrder)
{
    // Each point in degrees, as the pattern gives them.
    const double points[12][2] = {{0, 27.5},       {13.75, 23.82},   {23.82, 13.75},   {27.5, 0},
                                  {28.82, -13.75}, {13.75, -23.82},  {0, -27.5},       {-13.75, -23.82},
                                  {-23.82, -13.75}, {-27.5, 0},      {-23.82, 13.75},  {-13.75, 23.82}};
    standin::SetJournal(0);
    missile->seekerState = CENTRING;
    std::vector<int> visited;
    for (int i = 0; i < 20000 && visited.size() < 13; ++i) {
        const int before = missile->seekerState;
        Step();
        ASSERT_FALSE(missile->targetLocked);
        const double az = points[missile->scanIndex][0] * RAD;
        const double el = points[missile->scanIndex][1] * RAD;
        if (before == OUT && missile->seekerState == ACROSS) {
            visited.push_back(missile->scanIndex);
            EXPECT_EQ(missile->seekerAz, az);
            EXPECT_EQ(missile->seekerEl, el);
        } else if (before == ACROSS && missile->seekerState == BACK) {
            EXPECT_EQ(missile->seekerAz, -az);
            EXPECT_EQ(missile->seekerEl, -el);
        }
    }
    EXPECT_EQ(visited, (std::vector<int>{0, 5, 10, 3, 8, 1, 6, 11, 4, 9, 2, 7, 0}));
}

TEST_F(SeekerTest, TheSweepLocksAVesselItPassesAndFollowsIt)
{
    const double targetEl = 15 * RAD;
    HostHandle target = Place(Direction(0.0, targetEl));
    missile->seekerState = CENTRING;
    double lookEl = 0.0;
    double previousLookEl = 0.0;
    for (int i = 0; i < 200 && !missile->targetLocked; ++i) {
        previousLookEl = lookEl;
        lookEl = missile->seekerEl;
        Step();
    }
    ASSERT_TRUE(missile->targetLocked);
    EXPECT_EQ(missile->seekerState, TRACKING);
    EXPECT_EQ(missile->candidateVessel[0], target);
    // Locked on the first step that began with the vessel inside the acceptance angle.
    EXPECT_LT(targetEl - lookEl, ACCEPTANCE);
    EXPECT_GE(targetEl - previousLookEl, ACCEPTANCE);

    // The vessel drifts right at half the slew rate; the seeker keeps it and settles on it.
    double targetAz = 0.0;
    for (int i = 0; i < 30; ++i) {
        if (i < 8) {
            targetAz += 0.5 * RAD;
            standin::SetPosition(target, GlobalOf(Direction(targetAz, targetEl)));
        }
        Step();
        ASSERT_TRUE(missile->targetLocked) << "step " << i;
        EXPECT_EQ(missile->seekerState, TRACKING);
    }
    EXPECT_NEAR(missile->seekerAz, std::asin(std::sin(targetAz) * std::cos(targetEl)), 1e-12);
    EXPECT_NEAR(missile->seekerEl, targetEl, 1e-12);
}

TEST_F(SeekerTest, ALostTargetSendsTheSeekerBackToCentreAndThePatternToPointZero)
{
    HostHandle target = Place(Direction(0.0, 0.0));
    missile->seekerState = CENTRING;
    Step();
    ASSERT_EQ(missile->seekerState, TRACKING);
    for (int i = 1; i <= 10; ++i) {
        standin::SetPosition(target, GlobalOf(Direction(0.0, i * 0.75 * RAD)));
        Step();
        ASSERT_TRUE(missile->targetLocked);
    }
    missile->scanIndex = 7;
    const double lookEl = missile->seekerEl;
    standin::SetPosition(target, GlobalOf({0, 0, -1000}));

    Step();
    EXPECT_EQ(missile->seekerState, CENTRING);
    EXPECT_FALSE(missile->targetLocked);
    EXPECT_EQ(missile->seekerEl, lookEl);

    Step();
    EXPECT_NEAR(missile->seekerEl, lookEl - STEP_TURN, 1e-15);
    int steps = 1;
    while (missile->seekerState == CENTRING && steps < 100) {
        Step();
        ++steps;
    }
    EXPECT_EQ(steps, static_cast<int>(std::ceil(lookEl / STEP_TURN)));
    EXPECT_EQ(missile->seekerState, OUT);
    EXPECT_EQ(missile->scanIndex, 0);
    EXPECT_EQ(missile->seekerAz, 0.0);
    EXPECT_EQ(missile->seekerEl, 0.0);
}

TEST_F(SeekerTest, CentringLocksNothingUntilTheStepThatCompletesIt)
{
    HostHandle target = Place({0, 0, 1000});
    missile->seekerState = CENTRING;
    missile->seekerAz = 1.5 * STEP_TURN;
    ASSERT_LT(missile->seekerAz, ACCEPTANCE);

    Step();
    EXPECT_FALSE(missile->targetLocked);
    EXPECT_EQ(missile->seekerState, CENTRING);
    Step();
    EXPECT_TRUE(missile->targetLocked);
    EXPECT_EQ(missile->seekerState, TRACKING);
    EXPECT_EQ(missile->candidateVessel[0], target);
}

TEST_F(SeekerTest, SlewTurnsAlongAStraightLineAtTheRateAndLandsExactlyOnTheCommand)
{
    missile->SlewSeeker(0.3, 0.4, DT);
    EXPECT_DOUBLE_EQ(missile->seekerAz, 0.6 * STEP_TURN);
    EXPECT_DOUBLE_EQ(missile->seekerEl, 0.8 * STEP_TURN);
    missile->SlewSeeker(0.3, 0.4, 10.0);
    EXPECT_EQ(missile->seekerAz, 0.3);
    EXPECT_EQ(missile->seekerEl, 0.4);
    missile->SlewSeeker(-0.2, 0.1, 10.0);
    EXPECT_EQ(missile->seekerAz, -0.2);
    EXPECT_EQ(missile->seekerEl, 0.1);
    missile->SlewSeeker(-0.2, 0.1, DT);
    EXPECT_EQ(missile->seekerAz, -0.2);
    EXPECT_EQ(missile->seekerEl, 0.1);
}

TEST_F(SeekerTest, AStepOfNoLengthTurnsNeitherAxisWhicheverSideOfTheCommandItLies)
{
    missile->seekerAz = 0.2;
    missile->seekerEl = -0.1;
    missile->SlewSeeker(0.0, 0.0, 0.0);
    missile->SlewSeeker(0.0, 0.0, -DT);
    EXPECT_EQ(missile->seekerAz, 0.2);
    EXPECT_EQ(missile->seekerEl, -0.1);
}

}  // namespace
