// One record appended to the log file "Debug.log" in the host's working directory.
#pragma once

#include <cstdio>

/// Opens "Debug.log" in mode "at" on construction and closes it on destruction; nothing keeps the
/// file open between records. When the file cannot be opened the record is dropped silently.
class DebugLogRecord {
public:
    DebugLogRecord();
    ~DebugLogRecord();
    DebugLogRecord(const DebugLogRecord&) = delete;
    DebugLogRecord& operator=(const DebugLogRecord&) = delete;

    /// True when the file opened, so the record's values are worth asking for.
    bool IsOpen() const { return file != nullptr; }
    /// Writes the printf-style record; does nothing when the file did not open.
    [[gnu::format(printf, 2, 3)]] void Write(const char* format, ...);

private:
    std::FILE* file;
};
