// The seeker's view of a world of placed vessels: the look angles, which vessels qualify, how they
// rank, and what a step asks of the host.
#include <cmath>
#include <string>
#include <vector>

#include "allocation_counter.h"
#include "seeker_fixture.h"

namespace {

using seeker_test::ACCEPTANCE;
using seeker_test::CENTRING;
using seeker_test::SeekerTest;

// A null vessel is never ranked: it would end the used rows early and hide the rows behind it.
TEST_F(SeekerTest, NullCandidateIsIgnored)
{
    missile->ClearCandidates();
    missile->InsertCandidate(nullptr, 0.0, 0.0, 1.0, 0.0);
    EXPECT_EQ(missile->candidateVessel[0], nullptr);
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

}  // namespace
