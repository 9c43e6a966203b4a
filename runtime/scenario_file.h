// The scenario file being read or written, and the text helpers its readers and writers share.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "scenario.h"

namespace standin {

/// The first line of every scenario file.
inline constexpr const char* FILE_MAGIC = "ZELVAR-STANDIN-SCENARIO 1";
/// Motion modes by their value in the Motion enumeration, as scenario lines name them.
inline constexpr const char* MOTION_NAMES[] = {"dynamic", "kinematic", "pinned", "landed"};
/// Key modifiers by their KeyModifier bit, as KEY lines name them.
inline constexpr const char* MODIFIER_NAMES[] = {"shift", "rshift", "ctrl", "rctrl", "alt"};

/// The scenario being read or written; only one is open at a time, during SaveScenario or LoadScenario.
struct ScenarioFile {
    HostHandle handle = nullptr;
    std::string path;
    std::FILE* out = nullptr;
    std::vector<std::string> lines;  ///< the current vessel's module and host lines
    std::vector<int> lineNumbers;    ///< their line numbers in the file
    size_t next = 0;
    int currentLine = 0;             ///< line number of the line last handed out
    std::vector<char> buffer;        ///< the line handed out; the module may write into it
};

/// The open scenario of this thread's world.
extern thread_local ScenarioFile scenario;
/// The status record the host handed to the vessel being loaded; only that pointer is ever read,
/// so a module passing any other pointer to the host's state functions changes nothing.
extern thread_local HostStatus* openStatus;

/// "file:line: " of the open scenario.
std::string Where(int line);
/// Writes " value" in shortest round-trip form.
void WriteNumber(std::FILE* out, double value);
/// Writes "  key v1 v2 ...\n".
void WriteLine(std::FILE* out, const char* key, const double* values, int count);
/// Reads exactly `count` finite numbers from `text`, nothing after them.
bool ReadNumbers(const char* text, double* values, int count);
/// True when `line` starts with `key` (any case) followed by a blank or its end; `rest` is what follows.
bool KeyIs(const char* line, const char* key, const char** rest);
/// `text` without leading and trailing blanks.
std::string Trim(const std::string& text);

}  // namespace standin
