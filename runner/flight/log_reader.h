// A log file read as it grows: the lines the modules have appended to it since it was last read.
#pragma once

#include <cstdio>
#include <string>

namespace runner {

/// Follows a text file that others append to, handing out each whole line once.
class LogReader {
public:
    /// Follows `path`, opened (relative to the working directory then) on first use, and on each
    /// later use until it exists.
    explicit LogReader(std::string path);
    ~LogReader();
    LogReader(const LogReader&) = delete;
    LogReader& operator=(const LogReader&) = delete;

    /// Puts the next whole line appended since the last call, without its line end, into `line`;
    /// false when there is none yet (a line still being written waits for its end).
    bool NextLine(std::string& line);

private:
    std::string path;
    std::FILE* file = nullptr;
    std::string tail;  // text read whose line end has not come yet
};

}  // namespace runner
