#include "weapon/debug_log.h"

#include <cstdarg>

#include "weapon/observable.h"

DebugLogRecord::DebugLogRecord() : file(std::fopen(observable::LOG_FILE, "at")) {}

DebugLogRecord::~DebugLogRecord()
{
    if (file != nullptr) {
        std::fclose(file);
    }
}

// The log takes printf-style formats, as the host's own log does.
void DebugLogRecord::Write(const char* format, ...)  // NOLINT(cert-dcl50-cpp)
{
    if (file == nullptr) {
        return;
    }
    va_list args;
    va_start(args, format);
    std::vfprintf(file, format, args);
    va_end(args);
}
