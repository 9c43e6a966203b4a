// The binary interface: where each virtual sits in the table a host or a launcher calls through.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "host/vessel.h"
#include "missile/guided_missile.h"
#include "missile/weapon_interface.h"
#include "weapon/warhead.h"
#include "weapon/weapon_component.h"

namespace {

// A pointer to a virtual member function holds 1 + the byte offset of its slot in the virtual table.
template <typename Method>
long SlotOf(Method method)
{
    struct Raw {
        uintptr_t ptr;
        ptrdiff_t adjust;
    };
    static_assert(sizeof(Method) == sizeof(Raw));
    Raw raw;
    std::memcpy(&raw, &method, sizeof raw);
    EXPECT_EQ(raw.ptr % sizeof(void*), 1u) << "not a virtual function";
    return static_cast<long>((raw.ptr - 1) / sizeof(void*));
}

TEST(VirtualSlots, HostCallbacksKeepTheHostsOrder)
{
    EXPECT_EQ(SlotOf(&VESSEL2::clbkSetClassCaps), 0);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkSaveState), 1);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkLoadStateEx), 2);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkSetStateEx), 3);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkPostCreation), 4);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkFocusChanged), 5);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkPreStep), 6);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkPostStep), 7);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkPlaybackEvent), 8);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkVisualCreated), 9);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkVisualDestroyed), 10);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkDrawHUD), 11);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkRCSMode), 12);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkADCtrlMode), 13);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkHUDMode), 14);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkMFDMode), 15);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkNavMode), 16);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkDockEvent), 17);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkAnimate), 18);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkConsumeDirectKey), 19);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkConsumeBufferedKey), 20);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkLoadGenericCockpit), 21);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkLoadPanel), 22);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkPanelMouseEvent), 23);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkPanelRedrawEvent), 24);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkLoadVC), 25);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkVCMouseEvent), 26);
    EXPECT_EQ(SlotOf(&VESSEL2::clbkVCRedrawEvent), 27);
}

TEST(VirtualSlots, WeaponHooksFollowTheCallbacksThenDestructorThenCommands)
{
    EXPECT_EQ(SlotOf(&WeaponVessel::CheckGroundContact), VESSEL2_CALLBACK_COUNT + 0);
    EXPECT_EQ(SlotOf(&WeaponVessel::CheckVesselContact), VESSEL2_CALLBACK_COUNT + 1);
    EXPECT_EQ(SlotOf(&WeaponVessel::RequestFinalize), VESSEL2_CALLBACK_COUNT + 2);
    EXPECT_EQ(SlotOf(&WeaponVessel::SetWeaponCaps), VESSEL2_CALLBACK_COUNT + 3);
    EXPECT_EQ(SlotOf(&WeaponVessel::WeaponPostStep), VESSEL2_CALLBACK_COUNT + 4);
    EXPECT_EQ(SlotOf(&WeaponVessel::ReservedHook), VESSEL2_CALLBACK_COUNT + 5);
    // The virtual destructor takes two slots (complete and deleting) before the command handler.
    EXPECT_EQ(SlotOf(&GuidedMissile::ProcessCommand), VESSEL2_CALLBACK_COUNT + 8);
    EXPECT_EQ(SlotOf(&WeaponInterface::ProcessCommand), SlotOf(&GuidedMissile::ProcessCommand));
    EXPECT_EQ(SlotOf(&WeaponInterface::ReservedHook), SlotOf(&WeaponVessel::ReservedHook));
    // Overrides keep their base's slots.
    EXPECT_EQ(SlotOf(&GuidedMissile::clbkAnimate), SlotOf(&VESSEL2::clbkAnimate));
    EXPECT_EQ(SlotOf(&GuidedMissile::WeaponPostStep), SlotOf(&WeaponVessel::WeaponPostStep));
}

TEST(VirtualSlots, ComponentOperationsInOrder)
{
    EXPECT_EQ(SlotOf(&WeaponComponent::SetClassCaps), 0);
    EXPECT_EQ(SlotOf(&WeaponComponent::ReservedHook1), 1);
    EXPECT_EQ(SlotOf(&WeaponComponent::ReservedHook2), 2);
    EXPECT_EQ(SlotOf(&WeaponComponent::PostStep), 3);
    EXPECT_EQ(SlotOf(&WeaponComponent::OnGroundContact), 4);
    EXPECT_EQ(SlotOf(&WeaponComponent::OnVesselContact), 5);
    EXPECT_EQ(SlotOf(&Warhead::Arm), 6);
    EXPECT_EQ(SlotOf(&Warhead::Ignite), 7);
    EXPECT_EQ(SlotOf(&Warhead::OnImpact), 8);
}

TEST(VirtualSlots, TheVesselPartSitsAfterTheVirtualTablePointer)
{
    // A host holds the VESSEL part that zvcInit returns; it lies past the table pointer.
    static_assert(!std::is_polymorphic_v<VESSEL>);
    static_assert(std::is_polymorphic_v<VESSEL2>);
    static_assert(!std::has_virtual_destructor_v<VESSEL2>);
    static_assert(!std::has_virtual_destructor_v<WeaponVessel>);
    static_assert(std::has_virtual_destructor_v<GuidedMissile>);
    alignas(GuidedMissile) unsigned char storage[sizeof(GuidedMissile)];
    auto* object = reinterpret_cast<GuidedMissile*>(storage);
    VESSEL* part = static_cast<VESSEL*>(object);
    EXPECT_EQ(reinterpret_cast<unsigned char*>(part) - storage, static_cast<ptrdiff_t>(sizeof(void*)));
}

}  // namespace
