// The missile's parameter table: every derived value is the double the flight relies on.
#include <gtest/gtest.h>

#include "missile/missile_params.h"

namespace {

TEST(MissileParams, AngleFactorsAreFormedFromTheHostsPi)
{
    EXPECT_EQ(RAD, 0.017453292519943278);
    EXPECT_EQ(SEEKER_SLEW_RATE, 0.17453292519943278);
    EXPECT_EQ(SEEKER_FOV, 0.08726646259971639);
}

TEST(MissileParams, MotorAndMassBudgetAddUpToTheLaunchMass)
{
    EXPECT_EQ(BOOST_THRUST, 9912.0);
    EXPECT_EQ(BOOST_THRUST - SUSTAIN_THRUST, 7512.0);
    EXPECT_EQ(PROPELLANT_MASS, 59.3216300466521);
    EXPECT_EQ(EMPTY_MASS, 105.77836995334789);
    EXPECT_EQ(EMPTY_MASS + PROPELLANT_MASS + WARHEAD_MASS, 301.5);
    EXPECT_EQ(FLIGHT_TIME_LIMIT, 115.5);
}

}  // namespace
