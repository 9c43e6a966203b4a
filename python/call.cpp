#include "python/call.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <system_error>

namespace karvex_python {

namespace {

// The scratch folders in use, with the process that made each: the interpreter may exit while a
// daemon thread's call still flies, and what such a call made is removed at the exit. A child
// forked meanwhile leaves its parent's alone.
struct LiveFolders {
    std::mutex lock;
    std::map<std::string, pid_t> made;
};

// Never destroyed: daemon threads still fly while the process exits.
LiveFolders& Live()
{
    static LiveFolders* live = []() {
        auto* folders = new LiveFolders;
        std::atexit([]() {
            std::lock_guard<std::mutex> guard(Live().lock);
            for (const auto& [path, process] : Live().made) {
                std::error_code ignored;
                if (process == getpid()) {
                    std::filesystem::remove_all(path, ignored);
                }
            }
        });
        return folders;
    }();
    return *live;
}

}  // namespace

ScratchDir::ScratchDir()
{
    std::error_code error;
    std::string pattern = (std::filesystem::temp_directory_path(error) / "karvex-XXXXXX").string();
    if (error || mkdtemp(pattern.data()) == nullptr) {
        throw std::system_error(errno, std::generic_category(), "cannot make a scratch folder " + pattern);
    }
    path = pattern;
    std::lock_guard<std::mutex> guard(Live().lock);
    Live().made[path] = getpid();
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
    std::lock_guard<std::mutex> guard(Live().lock);
    Live().made.erase(path);
}

void Call::Progress(long long count, long long all)
{
    std::lock_guard<std::mutex> guard(lock);
    start = start < 0 ? count : start;
    if (count > done) {
        done = count;
        total = all;
    }
}

std::optional<std::pair<long long, long long>> Call::Fresh()
{
    std::lock_guard<std::mutex> guard(lock);
    // The first count first, however soon others follow it: a resumed sweep's runs flown before.
    const long long next = passed < 0 ? start : done;
    if (next < 0 || next == passed) {
        return std::nullopt;
    }
    passed = next;
    return std::make_pair(next, total);
}

const std::string& Call::Folder()
{
    if (!folder) {
        folder.emplace();
    }
    return folder->Path();
}

}  // namespace karvex_python
