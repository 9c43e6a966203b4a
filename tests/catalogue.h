// The catalogue of hostile inputs: its fixture and the texts its tables share.
#pragma once

#include <string>
#include <utility>

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

}  // namespace catalogue
