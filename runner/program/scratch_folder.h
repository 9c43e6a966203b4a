// A folder a job makes for itself to fly in, under a name of its own, and removes when it is done.
#pragma once

#include <filesystem>

namespace runner {

/// A new folder "karvex-work-XXXXXX" in `parent`, made for this job alone (never one that was
/// there), removed with what the job left in it when this ends.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::filesystem::path& parent);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    /// The folder's path; empty when it could not be made.
    const std::filesystem::path& Path() const { return path; }

private:
    std::filesystem::path path;
};

}  // namespace runner
