#include "runner/plots/plot.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "runner/program/exit_codes.h"
#include "runner/program/paths.h"

extern char** environ;

namespace runner {

namespace {

// Debian's interpreter, which has matplotlib (tools/ensure-deps installs it).
constexpr const char* PYTHON = "/usr/bin/python3";

}  // namespace

int Plot(const std::string& outDir, const std::string& script, const char* data, const char* summary)
{
    namespace fs = std::filesystem;
    std::string program = script.empty() ? (ProgramDir() / "plot.py").string() : script;
    for (const char* name : {data, summary}) {
        if (!fs::is_regular_file(fs::path(outDir) / name)) {
            std::fprintf(stderr, "karvex plot: %s has no %s: run a scenario, a sweep or an envelope into it first\n",
                         outDir.c_str(),
                         name);
            return EXIT_SCENARIO;
        }
    }
    if (access(PYTHON, X_OK) != 0 || !fs::is_regular_file(program)) {
        std::fprintf(stderr, "karvex plot: needs %s and %s (tools/ensure-deps installs matplotlib)\n", PYTHON,
                     program.c_str());
        return EXIT_FAILED;
    }
    std::fflush(stdout);
    char* argv[] = {const_cast<char*>(PYTHON), const_cast<char*>(program.c_str()), const_cast<char*>(outDir.c_str()),
                    nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, PYTHON, nullptr, nullptr, argv, environ) != 0) {
        std::fprintf(stderr, "karvex plot: cannot start %s\n", PYTHON);
        return EXIT_FAILED;
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return EXIT_FAILED;
    }
    int code = WEXITSTATUS(status);
    return code == 0 ? EXIT_OK : (code == 3 ? EXIT_SCENARIO : EXIT_FAILED);
}

int PlotSweep(const std::string& dir, const std::string& script)
{
    return Plot(dir, script.empty() ? (ProgramDir() / "sweep_plot.py").string() : script, "runs.csv");
}

int PlotEnvelope(const std::string& dir, const std::string& script)
{
    return Plot(dir, script.empty() ? (ProgramDir() / "envelope_plot.py").string() : script, "envelope.csv",
                "envelope.json");
}

}  // namespace runner
