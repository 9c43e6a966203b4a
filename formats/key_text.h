// The readers and writers the key table points at. A reader takes the whole line and the text
// after its key, fills the typed line, and says why when it cannot; a writer appends " <arguments>".
#pragma once

#include <string>

#include "formats/scenario_document.h"

namespace formats {

/// One finite number (s).
bool ReadAny(const char* line, const char* rest, HostLine& value, std::string& why);
/// One finite number, 0 or more.
bool ReadNonNegative(const char* line, const char* rest, HostLine& value, std::string& why);
/// One finite number above 0.
bool ReadPositiveSetting(const char* line, const char* rest, HostLine& value, std::string& why);
/// A vessel name: the rest of the line without its outer blanks.
bool ReadName(const char* line, const char* rest, HostLine& value, std::string& why);
/// Three finite numbers.
bool ReadVector(const char* line, const char* rest, HostLine& value, std::string& why);
/// Four finite numbers, not all zero.
bool ReadQuat(const char* line, const char* rest, HostLine& value, std::string& why);
/// A motion mode by name, any case.
bool ReadMotion(const char* line, const char* rest, HostLine& value, std::string& why);
/// One positive number.
bool ReadPositive(const char* line, const char* rest, HostLine& value, std::string& why);
/// A resource index and its propellant, kg.
bool ReadPropellant(const char* line, const char* rest, HostLine& value, std::string& why);
/// A thruster index and its level, 0 to 1.
bool ReadLevel(const char* line, const char* rest, HostLine& value, std::string& why);
/// Own point, parent point (-1: origin) and the parent's name.
bool ReadAttached(const char* line, const char* rest, HostLine& value, std::string& why);
/// Time (s), key code (decimal or 0x hex), press or release, modifier names.
bool ReadKeyEvent(const char* line, const char* rest, HostLine& value, std::string& why);
/// " <n>".
void WriteOne(const HostLine& value, std::string& out);
/// " <x> <y> <z>".
void WriteThree(const HostLine& value, std::string& out);
/// " <w> <x> <y> <z>".
void WriteFour(const HostLine& value, std::string& out);
/// " <name>".
void WriteName(const HostLine& value, std::string& out);
/// " <mode>".
void WriteMotion(const HostLine& value, std::string& out);
/// " <index> <n>".
void WriteEntry(const HostLine& value, std::string& out);
/// " <point> <parent point> <parent name>".
void WriteAttached(const HostLine& value, std::string& out);
/// " <s> 0x<code> press|release [modifiers]".
void WriteKeyEvent(const HostLine& value, std::string& out);

}  // namespace formats
