// What the karvex program's exit status means.
#pragma once

namespace runner {

/// Exit statuses of the karvex program.
enum ExitCode : int {
    EXIT_OK = 0,        ///< done
    EXIT_FAILED = 1,    ///< an output could not be written, or a tool it needs is missing
    EXIT_USAGE = 2,     ///< the command line is wrong
    EXIT_SCENARIO = 3,  ///< the scenario (or an output folder to read) is missing or unreadable
    EXIT_MODULE = 4,    ///< a module is missing, lacks an entry point, or made no vessel
    /// stopped through its caller's stop flag before it finished (the program never sets one: Ctrl-C
    /// ends it); 128 + SIGINT, as a shell reports a program Ctrl-C ended
    EXIT_INTERRUPTED = 130,
};

}  // namespace runner
