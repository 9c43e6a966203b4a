#include "runner/flight/log_reader.h"

#include <utility>

namespace runner {

LogReader::LogReader(std::string logPath) : path(std::move(logPath)) {}

LogReader::~LogReader()
{
    if (file != nullptr) {
        std::fclose(file);
    }
}

bool LogReader::NextLine(std::string& line)
{
    size_t end = tail.find('\n');
    if (end == std::string::npos) {
        if (file == nullptr) {
            file = std::fopen(path.c_str(), "r");
            if (file == nullptr) {
                return false;
            }
        }
        char buffer[512];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
            tail.append(buffer, n);
        }
        // At the end for now: what is appended later is read by the next call.
        std::clearerr(file);
        end = tail.find('\n');
        if (end == std::string::npos) {
            return false;
        }
    }
    line.assign(tail, 0, end);
    tail.erase(0, end + 1);
    return true;
}

}  // namespace runner
