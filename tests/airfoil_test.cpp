// The airfoil coefficients as the host evaluates them: lift, moment and drag, and the host's
// drag functions they call.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "host/zapi.h"
#include "missile/airfoil.h"
#include "missile/missile_params.h"
#include "test_support.h"

namespace {

struct Coefficients {
    double lift;
    double moment;
    double drag;
};

Coefficients Evaluate(double aoa, double mach, double reynolds = 1.0e6)
{
    Coefficients c{};
    AirfoilCoefficients(aoa, mach, reynolds, &c.lift, &c.moment, &c.drag);
    return c;
}

constexpr double PI_EXACT = std::numbers::pi;
/// Below Mach 0.95 the host's wave drag is 0.
constexpr double SUBSONIC = 0.5;

using AirfoilTest = WorldTest;

TEST_F(AirfoilTest, LiftPeaksAtFortyFiveDegreesAndVanishesAtZeroAndNinety)
{
    EXPECT_EQ(Evaluate(0.0, SUBSONIC).lift, 0.0);
    EXPECT_EQ(Evaluate(PI_EXACT / 4, SUBSONIC).lift, 3.0);
    EXPECT_EQ(Evaluate(-PI_EXACT / 4, SUBSONIC).lift, -3.0);
    EXPECT_NEAR(Evaluate(PI_EXACT / 2, SUBSONIC).lift, 0.0, 1e-15);
    EXPECT_LT(Evaluate(PI_EXACT / 8, SUBSONIC).lift, 3.0);
    EXPECT_LT(Evaluate(3 * PI_EXACT / 8, SUBSONIC).lift, 3.0);
}

TEST_F(AirfoilTest, MomentPitchesAgainstTheAngleOfAttack)
{
    EXPECT_EQ(Evaluate(0.0, SUBSONIC).moment, 0.0);
    EXPECT_NEAR(Evaluate(PI_EXACT / 6, SUBSONIC).moment, -0.0006, 1e-18);
    EXPECT_NEAR(Evaluate(-PI_EXACT / 6, SUBSONIC).moment, 0.0006, 1e-18);
}

TEST_F(AirfoilTest, DragSineTermKeepsTheSignOfTheAngle)
{
    for (double aoa : {PI_EXACT / 6, -PI_EXACT / 6}) {
        const Coefficients c = Evaluate(aoa, SUBSONIC);
        const double induced = zapiGetInducedDrag(c.lift, ASPECT_RATIO, 0.2);
        EXPECT_NEAR(c.drag - 0.012 - 0.0015 * induced, aoa > 0 ? 0.056 : -0.056, 1e-15) << aoa;
    }
    // A negative angle of attack lowers the drag below its value at zero.
    EXPECT_LT(Evaluate(-PI_EXACT / 6, SUBSONIC).drag, Evaluate(0.0, SUBSONIC).drag);
}

TEST_F(AirfoilTest, AtZeroIncidenceOnlyTheConstantAndWaveDragRemain)
{
    EXPECT_EQ(Evaluate(0.0, SUBSONIC).drag, 0.012);
    // Between Mach 1.1 and 1.15 the host's wave drag holds its peak of 0.1.
    EXPECT_DOUBLE_EQ(Evaluate(0.0, 1.12).drag, 0.015);
}

TEST_F(AirfoilTest, ReynoldsNumberDoesNotEnter)
{
    const Coefficients low = Evaluate(0.2, 0.8, 1.0e3);
    const Coefficients high = Evaluate(0.2, 0.8, 5.0e7);
    EXPECT_EQ(low.lift, high.lift);
    EXPECT_EQ(low.moment, high.moment);
    EXPECT_EQ(low.drag, high.drag);
}

TEST_F(AirfoilTest, EachEvaluationAsksWaveDragFirstThenInducedDragAtItsLift)
{
    standin::ClearJournal();
    Evaluate(PI_EXACT / 4, 0.7);
    EXPECT_EQ(JournalTexts(), (std::vector<std::string>{"zapiGetWaveDrag 0.7 0.95 1.1 1.15 0.1",
                                                        "zapiGetInducedDrag 3 0.747 0.2"}));
}

}  // namespace
