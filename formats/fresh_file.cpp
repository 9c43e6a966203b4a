#include "formats/fresh_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <utility>

namespace formats {

namespace {

// A name no other writer picks: the process, a count of this process's names and the clock, mixed.
std::string UniqueSuffix()
{
    static std::atomic<uint64_t> count{0};
    uint64_t h = static_cast<uint64_t>(getpid()) * 0x9e3779b97f4a7c15ULL ^ count.fetch_add(1) ^
                 static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    h ^= h >> 31;
    h *= 0xbf58476d1ce4e5b9ULL;
    h ^= h >> 29;
    static const char DIGITS[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix;
    for (int k = 0; k < 8; ++k, h /= 36) {
        suffix += DIGITS[h % 36];
    }
    return suffix;
}

}  // namespace

FreshFile::FreshFile(std::string targetPath) : target(std::move(targetPath))
{
    // A device or a pipe standing at the name is written to, never replaced by a file.
    struct stat standing {};
    if (lstat(target.c_str(), &standing) == 0 && !S_ISREG(standing.st_mode) && !S_ISLNK(standing.st_mode) &&
        !S_ISDIR(standing.st_mode)) {
        fd = open(target.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd >= 0) {
            path = target;
            direct = true;
        }
        return;
    }
    const std::filesystem::path where(target);
    const std::string stem = (where.parent_path() / ("." + where.filename().string() + ".")).string();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = stem + UniqueSuffix();
        // O_EXCL: made here and now, never an existing file or a link's target.
        fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            path = std::move(candidate);
            return;
        }
        if (errno != EEXIST) {
            return;
        }
    }
}

FreshFile::~FreshFile()
{
    const int saved = errno;
    if (fd >= 0) {
        close(fd);
    }
    if (!path.empty() && !direct) {
        unlink(path.c_str());
    }
    errno = saved;
}

std::FILE* FreshFile::Stream()
{
    std::FILE* stream = fd >= 0 ? fdopen(fd, "wb") : nullptr;
    if (stream != nullptr) {
        fd = -1;
    }
    return stream;
}

bool FreshFile::Commit()
{
    if (path.empty()) {
        return false;
    }
    if (direct) {
        path.clear();
        return true;
    }
    if (std::rename(path.c_str(), target.c_str()) != 0) {
        return false;
    }
    path.clear();
    return true;
}

bool ReplaceFile(const std::string& path, const std::string& text)
{
    FreshFile fresh(path);
    std::FILE* out = fresh.Stream();
    if (out == nullptr) {
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    ok = std::fclose(out) == 0 && ok;
    return ok && fresh.Commit();
}

std::FILE* OpenFresh(const std::string& path)
{
    FreshFile fresh(path);
    std::FILE* out = fresh.Stream();
    if (out == nullptr) {
        return nullptr;
    }
    if (!fresh.Commit()) {
        std::fclose(out);
        return nullptr;
    }
    return out;
}

}  // namespace formats
