// The seeker head: mesh groups 25 and 24 turned by the change of the seeker's look angles.
#include <cmath>
#include <string>
#include <vector>

#include "bound_missile.h"

namespace {

class AnimationTest : public BoundMissileTest {
protected:
    /// The transforms the host has applied to the missile's visual so far.
    const std::vector<MESHGROUP_TRANSFORM>& Transforms() const { return standin::Find(handle)->transforms; }

    /// Expects `t` to turn seeker-head group `group` by `angle` rad about `axis` through (0, 0, 1.1).
    static void ExpectTurn(const MESHGROUP_TRANSFORM& t, int group, const VECTOR3& axis, float angle)
    {
        EXPECT_EQ(t.group, group);
        EXPECT_EQ(t.mesh, 0);
        EXPECT_EQ(t.kind, MESHGROUP_ROTATE);
        EXPECT_EQ(t.ref.x, 0.0);
        EXPECT_EQ(t.ref.y, 0.0);
        EXPECT_EQ(t.ref.z, 1.1);
        EXPECT_EQ(t.axis.x, axis.x);
        EXPECT_EQ(t.axis.y, axis.y);
        EXPECT_EQ(t.axis.z, axis.z);
        EXPECT_EQ(t.angle, angle);
    }
};

TEST_F(AnimationTest, UnchangedLookAnglesSendNothing)
{
    standin::CreateVisual(handle);
    standin::Step(0.125);
    missile->seekerEl = 0.1;
    standin::Step(0.125);
    const size_t afterTurn = Transforms().size();
    standin::Step(0.125);
    standin::Step(0.125);
    EXPECT_EQ(Transforms().size(), afterTurn);
    EXPECT_EQ(afterTurn, 2u);
}

TEST_F(AnimationTest, HeadFollowsTheChangeOfEachAngle)
{
    const HostHandle visual = standin::CreateVisual(handle);
    EXPECT_EQ(missile->visual, visual);

    // Both angles: elevation for groups 25 and 24, then azimuth about the axis tilted by the new elevation.
    missile->seekerEl = 0.1;
    missile->seekerAz = 0.2;
    standin::ClearJournal();
    standin::Step(0.125);
    ASSERT_EQ(Transforms().size(), 3u);
    ExpectTurn(Transforms()[0], 25, {1.0, 0.0, 0.0}, 0.1f);
    ExpectTurn(Transforms()[1], 24, {1.0, 0.0, 0.0}, 0.1f);
    ExpectTurn(Transforms()[2], 24, {0.0, std::cos(0.1), std::sin(0.1)}, 0.2f);
    const std::vector<std::string> texts = JournalTexts();
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(texts[texts.size() - 3], "MeshgroupTransform P0 (0,0,1.1) (1,0,0) 0.1 0 25 1");
    EXPECT_EQ(missile->shownSeekerEl, 0.1);
    EXPECT_EQ(missile->shownSeekerAz, 0.2);

    // Only the change is sent, rounded to single precision after the subtraction.
    missile->seekerEl = 0.3;
    standin::Step(0.125);
    ASSERT_EQ(Transforms().size(), 5u);
    ExpectTurn(Transforms()[3], 25, {1.0, 0.0, 0.0}, static_cast<float>(0.3 - 0.1));
    ExpectTurn(Transforms()[4], 24, {1.0, 0.0, 0.0}, static_cast<float>(0.3 - 0.1));

    missile->seekerAz = -0.1;
    standin::Step(0.125);
    ASSERT_EQ(Transforms().size(), 6u);
    ExpectTurn(Transforms()[5], 24, {0.0, std::cos(0.3), std::sin(0.3)}, static_cast<float>(-0.1 - 0.2));
    EXPECT_EQ(missile->shownSeekerAz, -0.1);
}

TEST_F(AnimationTest, HeadWaitsForTheFirstVisualThenCatchesUp)
{
    missile->seekerEl = -0.05;
    missile->seekerAz = 0.15;
    missile->clbkAnimate(0.0);
    EXPECT_TRUE(JournalTexts().empty()) << "nothing to turn without a visual";
    EXPECT_EQ(missile->shownSeekerEl, 0.0);
    EXPECT_EQ(missile->shownSeekerAz, 0.0);

    standin::CreateVisual(handle);
    standin::Step(0.125);
    ASSERT_EQ(Transforms().size(), 3u);
    ExpectTurn(Transforms()[0], 25, {1.0, 0.0, 0.0}, -0.05f);
    ExpectTurn(Transforms()[2], 24, {0.0, std::cos(-0.05), std::sin(-0.05)}, 0.15f);
}

TEST_F(AnimationTest, ANewVisualStartsTheHeadFromRest)
{
    standin::CreateVisual(handle);
    missile->seekerEl = 0.1;
    missile->seekerAz = 0.2;
    standin::Step(0.125);
    ASSERT_EQ(Transforms().size(), 3u);

    // The host drops the visual and makes a new one, whose head is modelled at rest.
    standin::DestroyVisual(handle);
    standin::CreateVisual(handle);
    standin::Step(0.125);
    ASSERT_EQ(Transforms().size(), 6u);
    ExpectTurn(Transforms()[3], 25, {1.0, 0.0, 0.0}, 0.1f);
    ExpectTurn(Transforms()[4], 24, {1.0, 0.0, 0.0}, 0.1f);
    ExpectTurn(Transforms()[5], 24, {0.0, std::cos(0.1), std::sin(0.1)}, 0.2f);
}

}  // namespace
