// What the frame needs of attachments.
#pragma once

#include "world/world.h"

namespace standin {

/// The live vessel that holds `child` by one of its to-parent points, with both points where asked
/// (either may be null); null if free.
const Vessel* ParentOf(const Vessel& child, const Attachment** childPoint, const Attachment** parentPoint);
/// Moves an attached `child` with its parent: same attitude and velocity, attachment points together.
void FollowParent(Vessel& child);

}  // namespace standin
