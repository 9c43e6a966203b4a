// CSV files read back (runs.csv by a merge or a resume, telemetry.csv by a replay): any bytes are
// read without a fault, and every record read writes out and reads back as the same fields.
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "formats/csv.h"
#include "fuzz_world.h"
#include "runner/replay/replay_telemetry.h"
#include "runner/sweep/sweep_rows.h"

namespace {

// The fields runs.csv has beside its dispersed inputs: the run, then the outcome's nine.
constexpr size_t RUN_FIELDS = 10;
// Those of a salvo's of two weapons and one target: the run, five fields a weapon, one a target.
constexpr size_t SALVO_FIELDS = 1 + 2 * 5 + 1;

void CheckRoundTrip(const std::vector<std::vector<std::string>>& records)
{
    formats::CsvWriter writer;
    for (const std::vector<std::string>& fields : records) {
        for (const std::string& field : fields) {
            writer.Text(field);
        }
        writer.End();
    }
    std::istringstream text(writer.Result());
    formats::CsvReader again(text);
    std::vector<std::string> fields;
    for (const std::vector<std::string>& expected : records) {
        if (!again.Next(fields) || fields != expected) {
            std::abort();
        }
    }
    if (again.Next(fields) || !again.Error().empty()) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::EnterScratchDir();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::istringstream in(bytes);
    formats::CsvReader reader(in);
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> fields;
    bool whole = true;
    while (reader.Next(fields)) {
        runner::SweepRow row;
        // The record as a single weapon's row and as a salvo's (two weapons, one target).
        runner::SweepMeta single, salvo;
        salvo.weapons = {"K1", "K2"};
        salvo.targets = {"T"};
        single.inputs.resize(fields.size() >= RUN_FIELDS ? fields.size() - RUN_FIELDS : 0);
        salvo.inputs.resize(fields.size() >= SALVO_FIELDS ? fields.size() - SALVO_FIELDS : 0);
        (void)runner::ReadRow(fields, single, row);
        (void)runner::ReadRow(fields, salvo, row);
        // A record with no fields at all, or one cut short by the end, writes back as another.
        whole = whole && reader.Ended() && !fields.empty();
        records.push_back(fields);
    }
    if (whole && reader.Error().empty()) {
        CheckRoundTrip(records);
    }
    {
        std::ofstream out("telemetry.csv", std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::vector<std::string> order;
    std::map<std::string, runner::Track> tracks;
    (void)runner::ReadTelemetry("telemetry.csv", order, tracks);
    return 0;
}
