// Symbol visibility. Everything is built hidden by default; ZAPI_EXPORT marks the host's
// interface (defined in the host, imported by modules), ZVC_EXPORT a module's entry points.
#pragma once

#define ZAPI_EXPORT __attribute__((visibility("default")))
#define ZVC_EXPORT extern "C" __attribute__((visibility("default")))
