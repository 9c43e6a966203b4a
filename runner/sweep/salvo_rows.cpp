#include "runner/sweep/salvo_rows.h"

#include <iterator>

#include "formats/scenario_keys.h"

namespace runner {

namespace {

// Each weapon's columns, after its name and a dot.
constexpr const char* WEAPON_COLUMNS[] = {"outcome", "target", "miss_m", "lock_after_release_s",
                                          "friend_lock_after_release_s"};

void AddNames(const std::vector<formats::HostLine>& settings, std::vector<std::string>& weapons,
              std::vector<std::string>& targets)
{
    for (const formats::HostLine& line : settings) {
        if (!line.word.empty() && (line.key == formats::Key::Watch || line.key == formats::Key::Target)) {
            (line.key == formats::Key::Watch ? weapons : targets).push_back(line.word);
        }
    }
}

}  // namespace

void SalvoOf(const BatchDefinition& spec, SweepMeta& meta)
{
    std::vector<std::string> weapons, targets;
    AddNames(spec.base.settings, weapons, targets);
    AddNames(spec.settings, weapons, targets);
    if (weapons.size() > 1 || targets.size() > 1) {
        meta.weapons = std::move(weapons);
        meta.targets = std::move(targets);
    }
}

void AddSalvoColumns(const SweepMeta& meta, std::vector<std::string>& header)
{
    for (const std::string& weapon : meta.weapons) {
        for (const char* column : WEAPON_COLUMNS) {
            header.push_back(weapon + "." + column);
        }
    }
    for (const std::string& target : meta.targets) {
        header.push_back(target + ".hit");
    }
}

size_t SalvoColumnCount(const SweepMeta& meta)
{
    return meta.weapons.size() * std::size(WEAPON_COLUMNS) + meta.targets.size();
}

void SalvoFields(const RunResult& r, SweepRow& row)
{
    for (const WeaponRecord& w : r.weapons) {
        const double release = w.milestones.release;
        row.weapons.push_back({OutcomeOf(w), w.target, w.missDistance, w.milestones.lock - release,
                               w.friendLock - release});
    }
    for (const TargetRecord& t : r.targets) {
        row.hit.push_back(t.hitBy.empty() ? 0 : 1);
    }
}

void WriteSalvoFields(formats::CsvWriter& csv, const SweepRow& row)
{
    for (const WeaponRow& w : row.weapons) {
        csv.Text(OUTCOMES[static_cast<int>(w.outcome)]).Text(w.target);
        csv.Optional(w.miss).Optional(w.lock).Optional(w.friendLock);
    }
    for (char hit : row.hit) {
        csv.Whole(hit);
    }
}

bool ReadSalvoFields(const std::vector<std::string>& fields, size_t at, const SweepMeta& meta, SweepRow& row)
{
    bool read = true;
    row.weapons.assign(meta.weapons.size(), WeaponRow{});
    for (WeaponRow& w : row.weapons) {
        read = ReadOutcome(fields[at], w.outcome, OUTCOME_COUNT) && read;
        w.target = fields[at + 1];
        double* values[] = {&w.miss, &w.lock, &w.friendLock};
        for (size_t k = 0; k < std::size(values); ++k) {
            read = formats::ParseOptional(fields[at + 2 + k], *values[k]) && read;
        }
        at += std::size(WEAPON_COLUMNS);
    }
    row.hit.assign(meta.targets.size(), 0);
    for (char& hit : row.hit) {
        read = (fields[at] == "0" || fields[at] == "1") && read;
        hit = fields[at++] == "1" ? 1 : 0;
    }
    return read;
}

bool ReadOutcome(const std::string& field, Outcome& outcome, int outcomes)
{
    int k = 0;
    while (k < outcomes && field != OUTCOMES[k]) {
        ++k;
    }
    outcome = static_cast<Outcome>(k);
    return k < outcomes;
}

}  // namespace runner
