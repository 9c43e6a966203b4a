#include "runner/program/paths.h"

namespace runner {

std::filesystem::path ProgramDir()
{
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path() : self.parent_path();
}

std::filesystem::path DefaultModuleDir()
{
    return (ProgramDir() / ".." / "modules").lexically_normal();
}

}  // namespace runner
