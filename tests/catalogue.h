// The catalogue of hostile inputs: its fixture and the texts its tables share.
#pragma once

#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

namespace catalogue {

inline const std::string BIG(65536, 'A');  ///< 64 KiB
inline const std::string HEAD = "ZELVAR-STANDIN-SCENARIO 1\n";  ///< a scenario file's first line

/// A fresh world, and the check every table of scenario texts makes.
class Catalogue : public WorldTest {
protected:
    /// Loads each scenario text of `rows`: it loads when its expected error is null, else it fails
    /// with that error, naming the file, and leaves nothing half loaded.
    template <size_t N>
    void ExpectScenarios(const std::pair<std::string, const char*> (&rows)[N])
    {
        for (const auto& [text, error] : rows) {
            ResetWorld();
            bool loaded = standin::LoadScenarioText("s.scn", text);
            std::string shown = text.substr(0, 60);
            if (error == nullptr) {
                EXPECT_TRUE(loaded) << shown << ": " << standin::LastError();
            } else {
                EXPECT_FALSE(loaded) << shown;
                EXPECT_NE(standin::LastError().find(error), std::string::npos) << shown << "\ngot: " << standin::LastError();
                EXPECT_EQ(standin::LastError().rfind("s.scn:", 0), 0u) << "names the file";
                EXPECT_EQ(zapiGetVesselCount(), 0u) << "nothing left half loaded";
            }
        }
    }
};

/// Writes each text of `rows` to `file` and reads it with `read` (true when read, else with its
/// reason): it reads when its expected error is null, else it fails with a reason that holds that
/// error and begins with the file's name.
template <size_t N>
void ExpectDefinitionFiles(const std::pair<std::string, const char*> (&rows)[N], const std::string& file,
                           const std::function<bool(std::string&)>& read)
{
    for (const auto& [text, error] : rows) {
        std::ofstream(file, std::ios::binary) << text;
        std::string why;
        const bool done = read(why);
        const std::string shown = text.substr(0, 60);
        if (error == nullptr) {
            EXPECT_TRUE(done) << shown << ": " << why;
        } else {
            EXPECT_FALSE(done) << shown;
            EXPECT_NE(why.find(error), std::string::npos) << shown << "\ngot: " << why;
            EXPECT_EQ(why.rfind(file, 0), 0u) << "names the file";
        }
    }
}

/// Runs `program` with each argument list of `rows`: it ends with the row's exit status.
template <size_t N>
void ExpectExitStatuses(const std::string& program, const std::pair<std::vector<std::string>, int> (&rows)[N])
{
    for (const auto& [args, status] : rows) {
        std::string shown;
        for (const std::string& a : args) {
            shown += a.substr(0, 30) + " ";
        }
        EXPECT_EQ(RunProgram(program, args), status) << shown << "(-1: ended by a signal)";
    }
}

}  // namespace catalogue
