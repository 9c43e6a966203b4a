// Recording host calls into the world's journal as text, without allocating.
#pragma once

#include <cstddef>

#include "host/host_types.h"

namespace standin {

/// One journal line under construction; committed when it goes out of scope. Does nothing
/// while the journal is off, so the host functions can record unconditionally.
class CallRecord {
public:
    /// Starts the line "name" for the vessel in `vesselSlot` (-1: the vessel whose callback runs).
    CallRecord(int vesselSlot, const char* name);
    ~CallRecord();
    CallRecord(const CallRecord&) = delete;
    CallRecord& operator=(const CallRecord&) = delete;

    /// Appends a number in shortest round-trip form.
    CallRecord& Num(double value);
    /// Appends a single-precision number in shortest round-trip form.
    CallRecord& Float(float value);
    /// Appends an integer.
    CallRecord& Int(long long value);
    /// Appends "(x,y,z)".
    CallRecord& Vec(const VECTOR3& value);
    /// Appends "true" or "false".
    CallRecord& Flag(bool value);
    /// Appends a quoted text, or null.
    CallRecord& Text(const char* value);
    /// Appends a handle as kind letter and index, or null.
    CallRecord& Handle(HostHandle value);
    /// Appends `label` for a non-null pointer, null otherwise.
    CallRecord& Pointer(const void* value, const char* label);

private:
    void Put(const char* text, size_t length);
    void Space();
    template <typename Number>
    void PutNumber(Number value);

    bool active;
    int vessel;
    size_t length;
    char line[240];
};

}  // namespace standin
