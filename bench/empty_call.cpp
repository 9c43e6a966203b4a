// A function that does nothing, in a shared library of its own: eleven calls to it per vessel are
// what the host calls of a missile step would cost if each did no work at all.
#include "empty_call.h"

void BenchEmptyCall(const void* /*handle*/) {}
