// What the program's jobs do to an output folder that holds what is none of theirs: a work folder,
// other files, and links at their outputs' names to files outside; and the output and module
// folders they refuse, each with its reason.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;

class OutputFolders : public WorldTest {
protected:
    /// Fills `out` with files of other origin and links at each name of `outputs` (a path in the
    /// folder) to a file outside; records every foreign byte in `foreign`.
    void Plant(const fs::path& out, const std::vector<std::string>& outputs)
    {
        fs::create_directories(out / "work" / "deep");
        fs::create_directories("victims");
        Write(out / "work" / "notes.txt", "an analyst's notes\n");
        Write(out / "work" / "deep" / "keep.bin", std::string("\0\x01\xff kept", 8));
        Write(out / "other.txt", "not the job's\n");
        for (const std::string& name : outputs) {
            const std::string own = out.filename().string() + "-" + fs::path(name).filename().string();
            const fs::path victim = fs::absolute("victims") / own;
            Write(victim, "a file outside the folder, linked as " + name + "\n");
            fs::create_directories((out / name).parent_path());
            fs::create_symlink(victim, out / name);
        }
    }

    /// Every foreign byte is as planted, each link planted at an output's name was replaced rather
    /// than written through, and the job left nothing of its own in `out` but its outputs.
    void ExpectIntact(const fs::path& out, const std::vector<std::string>& outputs, const std::string& row) const
    {
        for (const auto& [path, text] : foreign) {
            EXPECT_EQ(ReadFile(path), text) << row << ": " << path;
        }
        EXPECT_TRUE(fs::is_directory(out / "work" / "deep")) << row;
        for (const std::string& name : outputs) {
            EXPECT_FALSE(fs::is_symlink(out / name)) << row << ": " << name << " still the planted link";
        }
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(out)) {
            const std::string name = entry.path().filename().string();
            EXPECT_FALSE(name[0] == '.' || name.rfind("karvex-work-", 0) == 0) << row << ": left " << entry.path();
        }
    }

    std::map<std::string, std::string> foreign;  // path -> content, of every file the jobs did not make

private:
    void Write(const fs::path& path, const std::string& text)
    {
        std::ofstream(path, std::ios::binary) << text;
        foreign[path.string()] = text;
    }
};

// Every job, pointed at a folder holding a foreign work folder, other files and links to files
// outside at its outputs' names, writes its outputs and leaves every foreign byte as it was; a
// sweep failing part way too.
TEST_F(OutputFolders, EveryJobKeepsWhatIsNotItsOwn)
{
    const std::string scenario = KARVEX_SCENARIO_DIR "/safe_release.scn";
    const std::string sweep = KARVEX_TEST_DATA_DIR "/small.sweep";
    fs::create_directory("only_karvex");  // a module folder without the carrier the sweep needs
    fs::create_symlink(KARVEX_MODULE_DIR "/Karvex.so", "only_karvex/Karvex.so");
    struct Row {
        std::string out;
        std::vector<std::string> args, outputs;
        int status;
        std::function<void()> before;  // what the folder must hold besides, for the job to read
    };
    const Row rows[] = {
        {"run", {"run", scenario, "-q", "--plot", "--replay", "-o", "run"},
         {"Debug.log", "telemetry.csv", "summary.json", "end.scn", "flight.png", "replay.html"}, 0, nullptr},
        {"sweep", {"sweep", sweep, "-q", "-j", "2", "--write-inputs", "-o", "sweep"},
         {"runs.csv", "summary.json", "runs.partial", "sweep.png", "inputs/run-000003.scn"}, 0, nullptr},
        {"failed", {"sweep", sweep, "-q", "-m", "only_karvex", "-o", "failed"}, {"runs.partial"}, 3, nullptr},
        {"envelope", {"envelope", KARVEX_TEST_DATA_DIR "/small.envelope", "-q", "-o", "envelope"},
         {"envelope.csv", "envelope.json", "envelope.png"}, 0, nullptr},
        {"merge", {"merge", "-o", "merge", "sweep"}, {"runs.csv", "summary.json", "sweep.png"}, 0, nullptr},
        {"replay", {"replay", "replay"}, {"replay.html"}, 0, [] {
             fs::create_directory("replay");
             fs::copy_file("run/summary.json", "replay/summary.json");
             fs::copy_file("run/telemetry.csv", "replay/telemetry.csv");
         }},
    };
    for (const Row& row : rows) {
        if (row.before) {
            row.before();
        }
        Plant(row.out, row.outputs);
        std::string errors;
        ASSERT_EQ(RunProgram(KARVEX_PROGRAM, row.args, errors), row.status) << row.out << ": " << errors;
        ExpectIntact(row.out, row.outputs, row.out);
    }
    EXPECT_NE(ReadFile("run/summary.json").find("\"events\""), std::string::npos) << "the run's own summary";
    EXPECT_EQ(ReadFile("merge/runs.csv"), ReadFile("sweep/runs.csv"));
    EXPECT_NE(ReadFile("sweep/inputs/run-000003.scn").find("ZELVAR-STANDIN-SCENARIO"), std::string::npos);
    EXPECT_NE(ReadFile("failed/runs.partial").find("# sweep"), std::string::npos) << "kept to resume from";
}

// Output folders no one means, and empty or missing module folders, are refused before anything
// is read or made, each with its exit status and reason.
TEST_F(OutputFolders, UnmeantFoldersAreRefusedWithTheirReason)
{
    const std::string source = KARVEX_SCENARIO_DIR "/..";
    const char* home = std::getenv("HOME");
    ASSERT_NE(home, nullptr);
    fs::create_directory_symlink("/", "rootlink");
    const std::string scenario = KARVEX_SCENARIO_DIR "/safe_release.scn";
    const std::string sweep = KARVEX_TEST_DATA_DIR "/small.sweep";
    const std::string envelope = KARVEX_TEST_DATA_DIR "/small.envelope";
    struct Row {
        std::vector<std::string> args;
        int status;
        std::string reason;
    };
    // The definitions named with unmeant output folders do not exist: a refusal that failed could
    // not touch the folder.
    const Row rows[] = {
        {{"run", "missing.scn", "-q", "-o", "/"}, 2, "karvex run: will not write into /, the root folder"},
        {{"sweep", "missing.sweep", "-q", "-o", "/"}, 2, "karvex sweep: will not write into /, the root folder"},
        {{"envelope", "missing.envelope", "-q", "-o", "/"}, 2, "karvex envelope: will not write into /, the root"},
        {{"merge", "-o", "/", "nowhere"}, 2, "karvex merge: will not write into /, the root folder"},
        {{"sweep", "missing.sweep", "-q", "-o", "rootlink"}, 2, "will not write into rootlink, the root folder"},
        {{"sweep", "missing.sweep", "-q", "-o", home}, 2, "the home folder: name a folder for the job's outputs"},
        {{"run", "missing.scn", "-q", "-o", home}, 2, "the home folder"},
        {{"envelope", "missing.envelope", "-q", "-o", source}, 2, "the source tree"},
        {{"merge", "-o", source + "/", "nowhere"}, 2, "the source tree"},
        {{"run", scenario, "-q", "-m", "", "-o", "m1"}, 4, "no module folder named (an empty path)"},
        {{"run", scenario, "-q", "-m", "/nonexistent", "-o", "m2"}, 4, "module folder /nonexistent does not exist"},
        {{"sweep", sweep, "-q", "-m", "", "-o", "m3"}, 4, "karvex sweep: no module folder named (an empty path)"},
        {{"sweep", sweep, "-q", "-m", "gone", "-o", "m4"}, 4, "karvex sweep: module folder gone does not exist"},
        {{"envelope", envelope, "-q", "-m", "", "-o", "m5"}, 4, "karvex envelope: no module folder named"},
        {{"envelope", envelope, "-q", "-m", scenario, "-o", "m6"}, 4, "safe_release.scn is not a folder"},
        {{"inspect", "Karvex", "-m", ""}, 4, "cannot load module Karvex: no module folder named (an empty path)"},
    };
    for (const Row& row : rows) {
        std::string errors, shown;
        for (const std::string& a : row.args) {
            shown += a + " ";
        }
        EXPECT_EQ(RunProgram(KARVEX_PROGRAM, row.args, errors), row.status) << shown << errors;
        EXPECT_NE(errors.find(row.reason), std::string::npos) << shown << "\ngot: " << errors;
    }
    for (const char* made : {"m1", "m2", "m3", "m4", "m5", "m6"}) {
        EXPECT_FALSE(fs::exists(made)) << made << ": refused before the output folder was made";
    }
}

}  // namespace
