// The autopilot laws on the host's control surfaces: dead band, proportional range, saturation,
// and the glide pitch.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "bound_missile.h"
#include "missile/missile_params.h"

namespace {

const double DEAD_BAND = 0.25 * RAD;
const double FULL = 10 * RAD;

class ControlLawsTest : public BoundMissileTest {
protected:
    /// How often the surfaces of `type` have been set.
    int Sets(int type) const { return standin::Find(handle)->controlSets[type]; }
    /// The level the surfaces of `type` hold.
    double Level(int type) const { return standin::Find(handle)->controlLevel[type]; }

    /// Runs `law` with the error `error` put in place by `apply`; true when it set a level.
    template <typename Apply, typename Law>
    bool Drive(int type, double error, Apply apply, Law law)
    {
        const int before = Sets(type);
        apply(error);
        law();
        return Sets(type) != before;
    }

    /// Checks one law's dead band, proportional range and saturation for errors applied by `apply`.
    template <typename Apply, typename Law>
    void CheckLaw(int type, Apply apply, Law law)
    {
        for (double error : {DEAD_BAND, -DEAD_BAND, 0.0}) {
            EXPECT_FALSE(Drive(type, error, apply, law)) << error;
        }
        const double justOut = std::nextafter(DEAD_BAND, 1.0);
        ASSERT_TRUE(Drive(type, justOut, apply, law));
        EXPECT_EQ(Level(type), justOut / FULL);
        ASSERT_TRUE(Drive(type, -5 * RAD, apply, law));
        EXPECT_DOUBLE_EQ(Level(type), -0.5);
        const struct {
            double error;
            double level;
        } edges[] = {{FULL, 1.0}, {-FULL, -1.0}, {25 * RAD, 1.0}, {-25 * RAD, -1.0}};
        for (const auto& edge : edges) {
            ASSERT_TRUE(Drive(type, edge.error, apply, law));
            EXPECT_EQ(Level(type), edge.level) << edge.error;
        }
    }
};

TEST_F(ControlLawsTest, RollLawDrivesTheAileronsFromTheBank)
{
    CheckLaw(
        AIRCTRL_AILERON, [&](double bank) { standin::SetAttitude(handle, 0.0, bank, 0.0); },
        [&] { missile->RollControl(); });
}

TEST_F(ControlLawsTest, PitchLawDrivesTheElevatorFromTheCommandLessThePitch)
{
    // Level flight: the command is the whole error.
    CheckLaw(
        AIRCTRL_ELEVATOR, [&](double command) { missile->pitchCommand = command; },
        [&] { missile->PitchControl(); });
    // A nose above the command asks for nose down.
    missile->pitchCommand = 0.0;
    standin::SetAttitude(handle, 5 * RAD, 0.0, 0.0);
    missile->PitchControl();
    EXPECT_DOUBLE_EQ(Level(AIRCTRL_ELEVATOR), -0.5);
}

TEST_F(ControlLawsTest, YawLawDrivesTheRudderFromTheYawCommand)
{
    CheckLaw(
        AIRCTRL_RUDDER, [&](double command) { missile->yawCommand = command; }, [&] { missile->YawControl(); });
}

TEST_F(ControlLawsTest, GlidePitchBalancesTheWeightOnTheWingsAndAsksMassFirst)
{
    standin::SetVelocity(handle, {0.0, 0.0, 120.0});
    standin::ClearJournal();
    const double glide = missile->GlidePitch();
    EXPECT_EQ(JournalTexts(), (std::vector<std::string>{"GetMass", "GetDynPressure"}));
    const double pressure = missile->GetDynPressure();
    // Lift of the two wing areas at a third of the dynamic pressure carries the weight.
    EXPECT_NEAR(std::sin(glide) * pressure * WING_AREA * 3 / (301.5 * 9.81), 1.0, 1e-14);
}

TEST_F(ControlLawsTest, TooLittleDynamicPressureGivesNoGlidePitchAndFullDownElevator)
{
    const double weightShare = 301.5 * 9.81 / (WING_AREA * 3);
    standin::SetVelocity(handle, {0.0, 0.0, 0.0});
    EXPECT_TRUE(std::isnan(missile->GlidePitch()));
    // Just below and just above the pressure that carries the weight.
    standin::SetVelocity(handle, {0.0, 0.0, std::sqrt(weightShare * 0.999 / (0.5 * 1.225 * std::exp(-3.0 / 8500)))});
    EXPECT_TRUE(std::isnan(missile->GlidePitch()));
    standin::SetVelocity(handle, {0.0, 0.0, std::sqrt(weightShare * 1.001 / (0.5 * 1.225 * std::exp(-3.0 / 8500)))});
    EXPECT_FALSE(std::isnan(missile->GlidePitch()));

    standin::SetVelocity(handle, {0.0, 0.0, 0.0});
    missile->pitchCommand = missile->GlidePitch();
    missile->PitchControl();
    EXPECT_EQ(Level(AIRCTRL_ELEVATOR), -1.0);
    EXPECT_EQ(Sets(AIRCTRL_ELEVATOR), 1);
}

}  // namespace
