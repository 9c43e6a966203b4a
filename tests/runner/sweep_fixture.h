// The fixture of the sweep tests: a small sweep's options, its files compared byte for byte, and
// runs.csv's rows read back.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "formats/csv.h"
#include "runner/sweep/sweep.h"
#include "runner/sweep/sweep_rows.h"
#include "tests/test_support.h"

class Sweeps : public WorldTest {
protected:
    static runner::SweepOptions Options(const std::string& out)
    {
        runner::SweepOptions o;
        o.sweepFile = KARVEX_TEST_DATA_DIR "/small.sweep";
        o.moduleDir = KARVEX_MODULE_DIR;
        o.outDir = out;
        o.plot = false;
        o.quiet = true;
        return o;
    }

    /// Expects `dir`'s runs.csv and summary.json to equal `reference`'s, byte for byte.
    static void ExpectSameFiles(const std::string& dir, const std::string& reference)
    {
        for (const char* file : {"/runs.csv", "/summary.json"}) {
            EXPECT_EQ(ReadFile(dir + file), ReadFile(reference + file)) << dir << file;
        }
    }
};

// The rows of runs.csv `text` past any header, each a record of a sweep with `inputs` dispersions.
inline std::vector<runner::SweepRow> Rows(const std::string& text, size_t inputs = 0)
{
    std::istringstream in(text);
    formats::CsvReader csv(in);
    std::vector<runner::SweepRow> rows;
    for (std::vector<std::string> fields; csv.Next(fields);) {
        if (fields[0] == "run") {
            continue;
        }
        runner::SweepRow row;
        EXPECT_TRUE(runner::ReadRow(fields, inputs, row)) << fields[0];
        rows.push_back(row);
    }
    return rows;
}
