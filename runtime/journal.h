// Recording host calls into the world's journal as text, without allocating.
#pragma once

#include <cstddef>

#include "host/host_types.h"
#include "world/world.h"

namespace standin {

/// One journal line under construction; committed when it goes out of scope. Does nothing
/// while the journal is off, so the host functions can record unconditionally.
class CallRecord {
public:
    /// Starts the line "name" for the vessel in `vesselSlot` (-1: the vessel whose callback runs).
    CallRecord(int vesselSlot, const char* name) : active(world().journalOn)
    {
        if (active) {
            Start(vesselSlot, name);
        }
    }
    /// Starts the line "name" for the vessel `handle`, looked up only while the journal is on.
    CallRecord(HostHandle handle, const char* name) : active(world().journalOn)
    {
        if (active) {
            Start(handle, name);
        }
    }
    ~CallRecord()
    {
        if (active) {
            Commit();
        }
    }
    CallRecord(const CallRecord&) = delete;
    CallRecord& operator=(const CallRecord&) = delete;

    // While the journal is off each of these is one predictable branch.
    /// Appends a number in shortest round-trip form.
    CallRecord& Num(double value) { return active ? PutNum(value) : *this; }
    /// Appends a single-precision number in shortest round-trip form.
    CallRecord& Float(float value) { return active ? PutFloat(value) : *this; }
    /// Appends an integer.
    CallRecord& Int(long long value) { return active ? PutInt(value) : *this; }
    /// Appends "(x,y,z)".
    CallRecord& Vec(const VECTOR3& value) { return active ? PutVec(value) : *this; }
    /// Appends "true" or "false".
    CallRecord& Flag(bool value) { return active ? PutFlag(value) : *this; }
    /// Appends a quoted text, or null.
    CallRecord& Text(const char* value) { return active ? PutText(value) : *this; }
    /// Appends a handle as kind letter and index, or null.
    CallRecord& Handle(HostHandle value) { return active ? PutHandle(value) : *this; }
    /// Appends `label` for a non-null pointer, null otherwise.
    CallRecord& Pointer(const void* value, const char* label) { return active ? PutPointer(value, label) : *this; }

private:
    void Start(int vesselSlot, const char* name);
    void Start(HostHandle vessel, const char* name);
    void Commit();
    CallRecord& PutNum(double value);
    CallRecord& PutFloat(float value);
    CallRecord& PutInt(long long value);
    CallRecord& PutVec(const VECTOR3& value);
    CallRecord& PutFlag(bool value);
    CallRecord& PutText(const char* value);
    CallRecord& PutHandle(HostHandle value);
    CallRecord& PutPointer(const void* value, const char* label);
    void Put(const char* text, size_t length);
    void Space();
    template <typename Number>
    void PutNumber(Number value);

    bool active;
    int vessel;  // set, with the rest, only while the journal is on
    size_t length;
    char line[240];
};

/// Writes one journal line, built by `fill`, away from the caller's fast path.
template <typename Fill>
[[gnu::noinline, gnu::cold]] void RecordCall(int vesselSlot, const char* name, const Fill& fill)
{
    CallRecord record(vesselSlot, name);
    fill(record);
}

/// Records a host call while the journal is on: one predictable branch while it is off, and no
/// stack frame taken for it. `...` appends the arguments, e.g. `.Handle(vessel)`.
#define STANDIN_RECORD(slot, name, ...)                                                               \
    if (::standin::world().journalOn) [[unlikely]] {                                                   \
        ::standin::RecordCall(slot, name, [=](::standin::CallRecord& record) { (void)record __VA_ARGS__; }); \
    }

}  // namespace standin
