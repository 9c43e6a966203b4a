// Writing a file without writing through whatever stands at its name: the text goes to a new file
// made in the same folder under a name of its own, which is then renamed over the name. A symbolic
// link planted there is replaced, never followed.
#pragma once

#include <cstdio>
#include <string>

namespace formats {

/// A new, empty file in the folder of `target` under a hidden name of its own (made with the
/// permissions an ordinary new file gets), renamed over `target` by Commit, removed when it was not.
/// A device or a pipe standing at `target` (/dev/null, say) is the file itself, written in place.
class FreshFile {
public:
    explicit FreshFile(std::string target);
    ~FreshFile();
    FreshFile(const FreshFile&) = delete;
    FreshFile& operator=(const FreshFile&) = delete;

    /// The new file's own name, to write it by; "" when it could not be made (errno says why).
    const std::string& Path() const { return path; }
    /// The new file open for writing, closed by the caller; null when it could not be made. Once only.
    std::FILE* Stream();
    /// Renames the new file over the target; false (errno set) when it cannot.
    bool Commit();

private:
    std::string target, path;
    int fd = -1;          // the new file, until Stream hands it over
    bool direct = false;  // the target itself, a device or a pipe
};

/// Writes `text` to `path` through a FreshFile; false when it cannot be written.
bool ReplaceFile(const std::string& path, const std::string& text);

/// Makes `path` a new empty file (a FreshFile committed at once) and returns it open for writing;
/// null when it cannot be made.
std::FILE* OpenFresh(const std::string& path);

}  // namespace formats
