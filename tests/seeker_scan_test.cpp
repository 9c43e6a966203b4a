// The seeker's head over time: the scan pattern, locking, tracking and losing a target, and the slew.
#include <cmath>
#include <vector>

#include "seeker_fixture.h"

namespace {

using seeker_test::ACCEPTANCE;
using seeker_test::ACROSS;
using seeker_test::BACK;
using seeker_test::CENTRING;
using seeker_test::DT;
using seeker_test::OUT;
using seeker_test::SeekerTest;
using seeker_test::STEP_TURN;
using seeker_test::TRACKING;

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
