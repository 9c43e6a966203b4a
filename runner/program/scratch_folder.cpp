#include "runner/program/scratch_folder.h"

#include <stdlib.h>

#include <string>
#include <system_error>

namespace runner {

ScratchFolder::ScratchFolder(const std::filesystem::path& parent)
{
    std::string pattern = (parent / "karvex-work-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) {
        path = pattern;
    }
}

ScratchFolder::~ScratchFolder()
{
    if (!path.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
}

}  // namespace runner
