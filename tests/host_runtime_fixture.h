// Shared by the tests of the stand-in host on its own: a plain body's description.
#pragma once

#include "runtime/host_control.h"
#include "test_support.h"

namespace host_runtime_test {

/// A plain body named `name` at `pos` (global, m), everything else at the host's defaults.
inline standin::VesselDesc Body(const char* name, VECTOR3 pos = {0, 0, 0})
{
    standin::VesselDesc desc;
    desc.name = name;
    desc.pos = pos;
    return desc;
}

/// A fresh world for the host's own tests.
using HostRuntime = WorldTest;

}  // namespace host_runtime_test
