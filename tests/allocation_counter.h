// Counts heap allocations made by this process, so tests can show a step allocates nothing.
#pragma once

#include <cstddef>

/// Number of global operator new calls so far.
size_t AllocationCount();
/// While `refuse` holds, the no-throw operator new finds no memory (as a module's allocation may).
void RefuseNothrowAllocations(bool refuse);
