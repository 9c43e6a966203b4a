#include "runner/program/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "runner/program/complaint.h"
#include "runner/program/exit_codes.h"

namespace runner {

namespace fs = std::filesystem;

fs::path ProgramDir()
{
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::current_path() : self.parent_path();
}

fs::path DefaultModuleDir()
{
    return (ProgramDir() / ".." / "modules").lexically_normal();
}

std::string RefusedOutputFolder(const fs::path& folder)
{
    if (folder.empty()) {
        return "no output folder named (an empty path)";
    }
    std::vector<std::pair<fs::path, const char*>> unmeant = {{"/", "the root folder"}};
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        unmeant.emplace_back(home, "the home folder");
    }
    if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr) {
        unmeant.emplace_back(user->pw_dir, "the home folder");
    }
    unmeant.emplace_back(KARVEX_SOURCE_DIR, "the source tree");
    for (const auto& [path, what] : unmeant) {
        std::error_code error;
        if (fs::equivalent(folder, path, error) && !error) {
            return "will not write into " + folder.string() + ", " + what + ": name a folder for the job's outputs";
        }
    }
    return "";
}

std::string RefusedModuleFolder(const fs::path& folder)
{
    if (folder.empty()) {
        return "no module folder named (an empty path)";
    }
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        return "module folder " + folder.string() + (fs::exists(folder, error) ? " is not a folder" : " does not exist");
    }
    return "";
}

int RefuseJobFolders(const char* command, const fs::path& outDir, const fs::path& moduleDir)
{
    if (const std::string why = RefusedOutputFolder(outDir); !why.empty()) {
        Complain(command, "%s", why.c_str());
        return EXIT_USAGE;
    }
    if (const std::string why = RefusedModuleFolder(moduleDir); !why.empty()) {
        Complain(command, "%s", why.c_str());
        return EXIT_MODULE;
    }
    return EXIT_OK;
}

}  // namespace runner
