#include "journal.h"

#include <cstring>

#include "formats/number_text.h"
#include "handles.h"
#include "host_control.h"

namespace standin {

void CallRecord::Start(int vesselSlot, const char* name)
{
    vessel = vesselSlot < 0 ? world().currentVessel : vesselSlot;
    length = 0;
    line[0] = '\0';
    Put(name, std::strlen(name));
}

void CallRecord::Start(HostHandle vesselHandle, const char* name)
{
    Start(LiveSlot(vesselHandle), name);
}

void CallRecord::Commit()
{
    World& w = world();
    if (w.journal.size() >= w.journal.capacity()) {
        ++w.journalDropped;
        return;
    }
    JournalEntry entry;
    entry.vessel = vessel;
    std::memcpy(entry.text, line, length + 1);
    w.journal.push_back(entry);
}

void CallRecord::Put(const char* text, size_t count)
{
    size_t room = sizeof line - 1 - length;
    if (count > room) {
        count = room;  // a line longer than the entry is cut, never overrun
    }
    std::memcpy(line + length, text, count);
    length += count;
    line[length] = '\0';
}

void CallRecord::Space()
{
    Put(" ", 1);
}

template <typename Number>
void CallRecord::PutNumber(Number value)
{
    char text[formats::NUMBER_TEXT_SIZE];
    size_t count = static_cast<size_t>(formats::NumberText(value, text));
    Space();
    Put(text, count);
}

CallRecord& CallRecord::PutNum(double value)
{
    PutNumber(value);
    return *this;
}

CallRecord& CallRecord::PutFloat(float value)
{
    PutNumber(value);
    return *this;
}

CallRecord& CallRecord::PutInt(long long value)
{
    PutNumber(value);
    return *this;
}

CallRecord& CallRecord::PutVec(const VECTOR3& value)
{
    char text[formats::NUMBER_TEXT_SIZE];
    const double components[] = {value.x, value.y, value.z};
    Space();
    for (int i = 0; i < 3; ++i) {
        Put(i == 0 ? "(" : ",", 1);
        Put(text, static_cast<size_t>(formats::NumberText(components[i], text)));
    }
    Put(")", 1);
    return *this;
}

CallRecord& CallRecord::PutFlag(bool value)
{
    {
        Space();
        Put(value ? "true" : "false", value ? 4 : 5);
    }
    return *this;
}

CallRecord& CallRecord::PutText(const char* value)
{
    {
        Space();
        if (value == nullptr) {
            Put("null", 4);
        } else {
            Put("\"", 1);
            Put(value, std::strlen(value));
            Put("\"", 1);
        }
    }
    return *this;
}

CallRecord& CallRecord::PutHandle(HostHandle value)
{
    Space();
    if (value == nullptr) {
        Put("null", 4);
        return *this;
    }
    static const char LETTERS[] = "?VTRAFCSMXPN";
    HandleParts parts = SplitHandle(value);
    size_t kind = static_cast<size_t>(parts.kind);
    char text[formats::NUMBER_TEXT_SIZE];
    bool bySlot = parts.kind == HandleKind::Vessel || parts.kind == HandleKind::Visual;
    Put(kind < sizeof LETTERS - 1 ? &LETTERS[kind] : "?", 1);
    long long number = bySlot ? parts.slot : parts.index;
    Put(text, static_cast<size_t>(formats::NumberText(number, text)));
    return *this;
}

CallRecord& CallRecord::PutPointer(const void* value, const char* label)
{
    {
        Space();
        const char* text = value == nullptr ? "null" : label;
        Put(text, std::strlen(text));
    }
    return *this;
}

void SetJournal(size_t capacity)
{
    World& w = world();
    w.journal.clear();
    w.journal.shrink_to_fit();
    w.journal.reserve(capacity);
    w.journalOn = capacity > 0;
    w.journalDropped = 0;
}

void ClearJournal()
{
    world().journal.clear();
    world().journalDropped = 0;
}

const std::vector<JournalEntry>& Journal()
{
    return world().journal;
}

}  // namespace standin
