// The stand-in host's geometry: attitudes, the body frame, relative queries, carried and pinned
// vessels, and mesh-group transforms.
#include <cmath>
#include <utility>
#include <vector>

#include "host/zelvar.h"
#include "runtime/host_control.h"
#include "test_support.h"

namespace {

using HostRuntime = WorldTest;
using standin::VesselDesc;

TEST_F(HostRuntime, AnglesSetExactlyComeBackExactly)
{
    VesselDesc desc = Desc("a", {0, 5.0, 0});
    desc.pitch = 0.3;
    desc.bank = -1.1;
    desc.heading = 2.0;
    HostHandle a = standin::CreateBody(desc);
    VESSEL va(a);
    EXPECT_EQ(va.GetAltitude(), 5.0);
    EXPECT_EQ(va.GetPitch(), 0.3);
    EXPECT_EQ(va.GetBank(), -1.1);
    standin::SetAttitude(a, -PI / 2, 0.7, 0.0);
    EXPECT_EQ(va.GetPitch(), -PI / 2);
    EXPECT_EQ(va.GetBank(), 0.7);
}

TEST_F(HostRuntime, BodyFrameIsRightUpForward)
{
    VesselDesc desc = Desc("a", {10, 20, 30});
    desc.heading = PI / 2;  // nose east
    HostHandle a = standin::CreateBody(desc);
    VESSEL va(a);
    VECTOR3 local{};
    va.Global2Local({10 + 100, 20, 30}, local);  // 100 m east: straight ahead
    EXPECT_NEAR(local.x, 0.0, 1e-12);
    EXPECT_NEAR(local.y, 0.0, 1e-12);
    EXPECT_NEAR(local.z, 100.0, 1e-12);
    va.Global2Local({10, 20, 30 - 50}, local);  // 50 m south: to the right
    EXPECT_NEAR(local.x, 50.0, 1e-12);
    EXPECT_NEAR(local.z, 0.0, 1e-12);

    // Banked with the right wing down, the sky lies toward the left wing.
    standin::SetAttitude(a, 0.0, PI / 6, 0.0);
    va.Global2Local({10, 20 + 1, 30}, local);
    EXPECT_NEAR(local.y, std::cos(PI / 6), 1e-12);
    EXPECT_NEAR(local.x, -std::sin(PI / 6), 1e-12);
}

TEST_F(HostRuntime, RelativeQueriesGiveSecondMinusFirst)
{
    HostHandle a = standin::CreateBody(Desc("a", {1, 2, 3}, {1, 1, 1}));
    HostHandle b = standin::CreateBody(Desc("b", {4, 6, 8}, {0, 2, -1}));
    VECTOR3 r{}, v{}, g{};
    zapiGetRelativePos(a, b, r);
    zapiGetRelativeVel(a, b, v);
    zapiGetGlobalPos(b, g);
    EXPECT_EQ(r.x, 3.0);
    EXPECT_EQ(r.y, 4.0);
    EXPECT_EQ(r.z, 5.0);
    EXPECT_EQ(v.x, -1.0);
    EXPECT_EQ(v.y, 1.0);
    EXPECT_EQ(v.z, -2.0);
    EXPECT_EQ(g.z, 8.0);
    EXPECT_EQ(zapiGetVesselByIndex(1), b);
}

TEST_F(HostRuntime, PinnedVesselsStayAndAttachedOnesFollowTheirParent)
{
    HostHandle parent = standin::CreateBody(Desc("launcher", {0, 100, 0}, {0, 0, 50}));
    HostHandle child = standin::CreateBody(Desc("child", {500, 0, 0}));
    VESSEL vc(child);
    HostHandle point = vc.CreateAttachment(true, {0, 0.2, 0}, {0, 1, 0}, {0, 0, 1}, "WM");
    EXPECT_EQ(vc.GetAttachmentStatus(point), nullptr);
    ASSERT_TRUE(standin::Attach(parent, nullptr, child, point));
    EXPECT_FALSE(standin::Attach(parent, nullptr, child, point)) << "a taken point";
    EXPECT_EQ(vc.GetAttachmentStatus(point), parent);
    EXPECT_EQ(standin::AttachmentById(child, "WM"), point);

    standin::Step(1.0);
    VECTOR3 pos{};
    zapiGetGlobalPos(child, pos);
    EXPECT_EQ(pos.x, 0.0);
    EXPECT_EQ(pos.y, 100.0 - 0.2);
    EXPECT_EQ(pos.z, 50.0);

    standin::Detach(child, point);
    EXPECT_EQ(vc.GetAttachmentStatus(point), nullptr);
    standin::SetPinned(child, true);
    standin::Step(1.0);
    zapiGetGlobalPos(child, pos);
    EXPECT_EQ(pos.z, 50.0) << "pinned: not moved by its velocity";
}

// A parent hangs children on its own free points, a child hangs by its own free to-parent point,
// the two points face each other, and a deleted parent lets its children go.
TEST_F(HostRuntime, ChildrenHangOnFreePointsFacingEachOther)
{
    HostHandle p = standin::CreateBody(Desc("parent", {0, 100, 0}));
    HostHandle c = standin::CreateBody(Desc("child"));
    HostHandle other = standin::CreateBody(Desc("other"));
    VESSEL vp(p), vc(c), vo(other);
    HostHandle hook = vp.CreateAttachment(true, {0, 1, 0}, {0, 1, 0}, {0, 0, 1}, "UP");
    HostHandle bay = vp.CreateAttachment(false, {1, -1, 2}, {0, -1, 0}, {0, 0, 1}, "BAY");
    HostHandle pylon = vp.CreateAttachment(false, {0, -1, 0}, {0, -1, 0}, {0, 0, 1}, "PYLON");
    // The child hangs nose up from its tail: its point's rotation reference lies along its direction.
    HostHandle tail = vc.CreateAttachment(true, {0, 0, -2}, {0, 0, -1}, {0, 0, -1}, "TAIL");
    HostHandle lug = vc.CreateAttachment(false, {0, 0, 0}, {0, -1, 0}, {0, 0, 1}, "LUG");
    HostHandle otherTail = vo.CreateAttachment(true, {0, 0, 0}, {0, 1, 0}, {0, 0, 1}, "TAIL");

    EXPECT_EQ(vp.GetAttachmentHandle(false, 1), pylon);
    EXPECT_EQ(vp.GetAttachmentHandle(true, 0), hook);
    EXPECT_EQ(vp.GetAttachmentHandle(true, 1), nullptr);
    EXPECT_STREQ(vp.GetAttachmentId(bay), "BAY");
    EXPECT_STREQ(vp.GetAttachmentId(tail), "") << "another vessel's point";
    EXPECT_EQ(standin::AttachmentById(p, nullptr), nullptr);
    EXPECT_EQ(standin::AttachmentById(p, "NONE"), nullptr);

    EXPECT_FALSE(vp.AttachChild(c, lug, tail)) << "the parent's point is the child's";
    EXPECT_FALSE(vp.AttachChild(c, hook, tail)) << "a to-parent point carries nothing";
    EXPECT_FALSE(vp.AttachChild(c, bay, lug)) << "the child's point is no to-parent point";
    EXPECT_FALSE(standin::Attach(c, nullptr, c, tail)) << "onto itself";
    EXPECT_FALSE(standin::Attach(p, bay, c, nullptr));
    ASSERT_TRUE(vp.AttachChild(c, bay, tail));
    EXPECT_FALSE(vp.AttachChild(other, bay, otherTail)) << "a taken point";
    EXPECT_EQ(vp.GetAttachmentStatus(bay), c);
    EXPECT_EQ(vc.GetAttachmentStatus(tail), p);
    EXPECT_EQ(vp.GetAttachmentStatus(pylon), nullptr);

    standin::Step(0.1);
    const standin::VesselState& ps = standin::Find(p)->state;
    const standin::VesselState& cs = standin::Find(c)->state;
    auto global = [](const standin::VesselState& s, const VECTOR3& b) {
        return VECTOR3{s.rot[0][0] * b.x + s.rot[0][1] * b.y + s.rot[0][2] * b.z,
                       s.rot[1][0] * b.x + s.rot[1][1] * b.y + s.rot[1][2] * b.z,
                       s.rot[2][0] * b.x + s.rot[2][1] * b.y + s.rot[2][2] * b.z};
    };
    VECTOR3 childDir = global(cs, {0, 0, -1});
    EXPECT_NEAR(childDir.y, 1.0, 1e-12) << "the tail's direction opposes the bay's: the child stands nose down";
    VECTOR3 bayAt = global(ps, {1, -1, 2}), tailAt = global(cs, {0, 0, -2});
    EXPECT_NEAR(cs.pos.x + tailAt.x, ps.pos.x + bayAt.x, 1e-12);
    EXPECT_NEAR(cs.pos.y + tailAt.y, ps.pos.y + bayAt.y, 1e-12);
    EXPECT_NEAR(cs.pos.z + tailAt.z, ps.pos.z + bayAt.z, 1e-12);

    EXPECT_FALSE(vp.DetachChild(pylon)) << "nothing hangs there";
    EXPECT_FALSE(vp.DetachChild(hook));
    standin::Detach(c, lug);  // the child's own carrying point: nothing to let go
    EXPECT_EQ(vc.GetAttachmentStatus(tail), p);
    ASSERT_TRUE(vp.DetachChild(bay, {0, 0, 3}));
    EXPECT_EQ(vp.GetAttachmentStatus(bay), nullptr);
    EXPECT_EQ(vc.GetAttachmentStatus(tail), nullptr);
    EXPECT_EQ(cs.vel.z, 3.0) << "the push, in the parent's frame";

    ASSERT_TRUE(vp.AttachChild(other, pylon, otherTail));
    ASSERT_TRUE(zapiDeleteVessel(p, nullptr));
    standin::Step(0.1);
    EXPECT_EQ(vo.GetAttachmentStatus(otherTail), nullptr);
    EXPECT_TRUE(standin::Attach(c, lug, other, otherTail)) << "its point is free again";
}

// Mesh-group transforms need the vessel's current visual and one of its meshes; rotations are
// summed per group and axis.
TEST_F(HostRuntime, MeshgroupTransformsNeedTheCurrentVisualAndAMesh)
{
    VesselDesc desc = Desc("a");
    desc.capacity.transforms = 2;  // room for two records; the sums go on
    HostHandle a = standin::CreateBody(desc);
    VESSEL va(a);
    va.AddMesh(zapiLoadMeshGlobal("m"));
    HostHandle first = standin::CreateVisual(a);
    standin::DestroyVisual(a);
    standin::DestroyVisual(a);  // none left: nothing to do
    HostHandle visual = standin::CreateVisual(a);
    EXPECT_EQ(standin::CreateVisual(a), visual) << "one visual at a time";
    EXPECT_NE(visual, first);
    auto turn = [](int mesh, int group, VECTOR3 axis, float angle, int kind = MESHGROUP_ROTATE) {
        return MESHGROUP_TRANSFORM{{0, 0, 0}, axis, angle, mesh, group, kind};
    };
    const std::pair<MESHGROUP_TRANSFORM, bool> rows[] = {
        {turn(0, 0, {1, 0, 0}, 0.25f), true},  {turn(0, 0, {1, 0, 0}, 0.5f), true},
        {turn(0, 0, {0, 1, 0}, 0.125f), true}, {turn(0, 0, {1, 1, 0}, 0.125f), true},
        {turn(0, 0, {1, 0, 1}, 0.125f), true}, {turn(0, 1, {1, 0, 0}, 2.0f), true},
        {turn(0, 1, {1, 0, 0}, 9.0f, MESHGROUP_TRANSLATE), true},
        {turn(1, 0, {1, 0, 0}, 9.0f), false},  {turn(-1, 0, {1, 0, 0}, 9.0f), false},
        {turn(0, -1, {1, 0, 0}, 9.0f), false},
    };
    for (const auto& [transform, applied] : rows) {
        EXPECT_EQ(va.MeshgroupTransform(visual, transform), applied) << transform.mesh << " " << transform.group;
    }
    EXPECT_FALSE(va.MeshgroupTransform(first, turn(0, 0, {1, 0, 0}, 9.0f))) << "an old visual";
    EXPECT_FALSE(va.MeshgroupTransform(nullptr, turn(0, 0, {1, 0, 0}, 9.0f)));
    const std::vector<standin::GroupTurn>& turns = standin::Find(a)->turns;
    ASSERT_EQ(turns.size(), 3u);
    EXPECT_EQ(turns[0].angle, 0.75);
    EXPECT_TRUE(turns[0].lateral);
    EXPECT_EQ(turns[1].angle, 0.375) << "every other axis in one sum";
    EXPECT_FALSE(turns[1].lateral);
    EXPECT_EQ(turns[2].angle, 2.0);
    EXPECT_EQ(standin::Find(a)->transforms.size(), 2u);
}

}  // namespace
