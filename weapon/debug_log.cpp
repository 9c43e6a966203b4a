#include "weapon/debug_log.h"

#include <cstdarg>

DebugLogRecord::DebugLogRecord() : file(std::fopen("Debug.log", "at")) {}

DebugLogRecord::~DebugLogRecord()
{
    if (file != nullptr) {
        std::fclose(file);
    }
}

void DebugLogRecord::Write(const char* format, ...)
{
    if (file == nullptr) {
        return;
    }
    va_list args;
    va_start(args, format);
    std::vfprintf(file, format, args);
    va_end(args);
}
