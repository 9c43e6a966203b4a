#include "test_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

namespace {

// Starts `program` with `args`, its output discarded but its stderr written to `errors` when given.
pid_t Spawn(const std::string& program, std::vector<std::string> args, const char* errors)
{
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, errors != nullptr ? errors : "/dev/null",
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &quiet, nullptr, argv.data(), environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&quiet);
    return pid;
}

int Wait(pid_t pid)
{
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

pid_t StartProgram(const std::string& program, std::vector<std::string> args)
{
    return Spawn(program, std::move(args), nullptr);
}

int RunProgram(const std::string& program, std::vector<std::string> args)
{
    return Wait(StartProgram(program, std::move(args)));
}

int RunProgram(const std::string& program, std::vector<std::string> args, std::string& errors)
{
    char path[] = "/tmp/karvex-stderr-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) {
        return -1;
    }
    close(fd);
    const int status = Wait(Spawn(program, std::move(args), path));
    errors = ReadFile(path);
    unlink(path);
    return status;
}

standin::VesselDesc Desc(const std::string& name, const VECTOR3& pos, const VECTOR3& vel)
{
    standin::VesselDesc desc;
    desc.name = name;
    desc.pos = pos;
    desc.vel = vel;
    return desc;
}

void WorldTest::SetUp()
{
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    oldDir = cwd;
    char pattern[] = "/tmp/karvex-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    testDir = pattern;
    ASSERT_EQ(chdir(testDir.c_str()), 0);
    config.moduleDir = KARVEX_MODULE_DIR;
    config.journalCapacity = 8192;
    ResetWorld();
}

void WorldTest::TearDown()
{
    standin::Reset(standin::WorldConfig{});
    if (!oldDir.empty()) {
        EXPECT_EQ(chdir(oldDir.c_str()), 0);
    }
    if (!testDir.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(testDir, ignored);
    }
}

void WorldTest::ResetWorld()
{
    standin::Reset(config);
}

std::string WorldTest::DebugLog() const
{
    std::ifstream in("Debug.log");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> WorldTest::JournalTexts() const
{
    return JournalTextsFrom(0);
}

std::vector<std::string> WorldTest::JournalTextsFrom(size_t first) const
{
    std::vector<std::string> texts;
    const auto& journal = standin::Journal();
    for (size_t i = first; i < journal.size(); ++i) {
        texts.emplace_back(journal[i].text);
    }
    return texts;
}

HostHandle WorldTest::CreateBodyAt(const char* name, const VECTOR3& pos)
{
    return standin::CreateBody(Desc(name, pos));
}

HostHandle WorldTest::CreateKarvexAt(const char* name, const VECTOR3& pos)
{
    standin::VesselDesc desc = Desc(name, pos);
    desc.motion = standin::Motion::Kinematic;
    HostHandle vessel = standin::CreateModuleVessel("Karvex", desc);
    EXPECT_NE(vessel, nullptr) << standin::LastError();
    return vessel;
}
