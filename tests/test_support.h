// Shared helpers for the tests: a fresh world per test, run in a directory of its own so that
// "Debug.log" and scenario files of tests running in parallel never meet.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <string>
#include <vector>

#include "runtime/host_control.h"

/// The whole content of the file `path` ("" when it cannot be read).
std::string ReadFile(const std::string& path);
/// Starts `program` with `args`, its output discarded; its process id, or -1 when it did not start.
pid_t StartProgram(const std::string& program, std::vector<std::string> args);
/// Runs `program` with `args`, its output discarded; its exit status, or -1 when it did not start
/// or a signal ended it.
int RunProgram(const std::string& program, std::vector<std::string> args);
/// Runs `program` with `args` as RunProgram does, keeping what it printed on stderr in `errors`.
int RunProgram(const std::string& program, std::vector<std::string> args, std::string& errors);
/// A vessel named `name` at `pos` (global, m) moving at `vel` (global, m/s), all else at the host's defaults.
standin::VesselDesc Desc(const std::string& name, const VECTOR3& pos = {0, 0, 0}, const VECTOR3& vel = {0, 0, 0});

/// A fresh stand-in world in a fresh working directory, removed again afterwards.
class WorldTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Contents of "Debug.log" in the test's working directory ("" when absent).
    std::string DebugLog() const;
    /// The journal's texts, oldest first.
    std::vector<std::string> JournalTexts() const;
    /// The journal's texts from index `first` on.
    std::vector<std::string> JournalTextsFrom(size_t first) const;

    /// A plain body named `name` at `pos` (global, m).
    static HostHandle CreateBodyAt(const char* name, const VECTOR3& pos);
    /// A kinematic vessel of the built module class "Karvex" named `name` at `pos` (global, m), placed
    /// by hand; null, with a failed expectation giving the host's reason, when the host cannot create it.
    static HostHandle CreateKarvexAt(const char* name, const VECTOR3& pos);

    /// World limits this test starts with; a test may change them before calling ResetWorld.
    standin::WorldConfig config;
    /// Resets the world with `config`.
    void ResetWorld();

private:
    std::string oldDir;
    std::string testDir;
};
