// The module's entry points as the host uses them: the built library, loaded by name.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "allocation_counter.h"
#include "host/zelvar.h"
#include "test_support.h"

namespace {

using ModuleEntryTest = WorldTest;

// Under the sanitizers, a delete through the wrong address or a destructor that does not free
// the component list fails this test.
TEST_F(ModuleEntryTest, InitHandsOutTheVesselPartAndExitDestroysThroughIt)
{
    // Left loaded, as the host leaves its modules.
    void* library = dlopen(KARVEX_MODULE_DIR "/Karvex.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto init = reinterpret_cast<ZvcInitFunc>(dlsym(library, "zvcInit"));
    auto exit = reinterpret_cast<ZvcExitFunc>(dlsym(library, "zvcExit"));
    ASSERT_NE(init, nullptr);
    ASSERT_NE(exit, nullptr);

    HostHandle hull = CreateBodyAt("K1", {0.0, 3.0, 0.0});
    VESSEL* vessel = init(hull, 1);
    ASSERT_NE(vessel, nullptr);
    VESSEL2* object = static_cast<VESSEL2*>(vessel);
    // The VESSEL part lies behind the table pointer at the object's start.
    EXPECT_EQ(reinterpret_cast<char*>(vessel) - reinterpret_cast<char*>(object),
              static_cast<std::ptrdiff_t>(sizeof(void*)));
    // Host operations through the returned pointer act on the new vessel...
    EXPECT_EQ(vessel->GetHandle(), hull);
    // ...and callbacks through its VESSEL2 view reach the missile.
    standin::Bind(hull, object);
    object->clbkSetClassCaps(nullptr);
    EXPECT_EQ(standin::Find(hull)->size, 1.25);
    standin::Bind(hull, nullptr);

    exit(vessel);
    exit(nullptr);
}

TEST_F(ModuleEntryTest, HostCreatesAndRemovesAMissileByClassName)
{
    HostHandle vessel = standin::CreateModuleVessel("Karvex", Desc("K1", {0.0, 3.0, 0.0}));
    ASSERT_NE(vessel, nullptr) << standin::LastError();
    VESSEL* iface = zapiGetVesselInterface(vessel);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->GetHandle(), vessel);
    EXPECT_EQ(standin::Find(vessel)->size, 1.25);

    // Deleted at the end of the frame, through zvcExit.
    zapiDeleteVessel(vessel, nullptr);
    standin::Step(0.1);
    EXPECT_EQ(standin::Find(vessel), nullptr);
    EXPECT_EQ(zapiGetVesselCount(), 0u);
}

}  // namespace

namespace {

// Without memory for a missile, zvcInit makes none and says so by a null result; the host then
// creates no vessel.
TEST_F(ModuleEntryTest, NoMemoryMeansNoMissile)
{
    RefuseNothrowAllocations(true);
    standin::VesselDesc desc;
    desc.name = "K1";
    HostHandle vessel = standin::CreateModuleVessel("Karvex", desc);
    RefuseNothrowAllocations(false);
    EXPECT_EQ(vessel, nullptr);
    EXPECT_EQ(standin::LastError(), "zvcInit of module Karvex returned no vessel");
    EXPECT_EQ(zapiGetVesselCount(), 0u);
}

}  // namespace
