// A salvo's fields of runs.csv: each watched weapon's outcome, target, miss and lock times, and
// each target's hit, after the run and its inputs.
#pragma once

#include <string>
#include <vector>

#include "runner/sweep/sweep_rows.h"

namespace runner {

/// Sets `meta`'s weapons and targets from the WATCH and TARGET lines of `spec`'s scenario and settings.
void SalvoOf(const BatchDefinition& spec, SweepMeta& meta);
/// Appends a salvo's result columns to `header`.
void AddSalvoColumns(const SweepMeta& meta, std::vector<std::string>& header);
/// How many result columns a row of the salvo `meta` has.
size_t SalvoColumnCount(const SweepMeta& meta);
/// Fills `row`'s salvo fields from the salvo run `r`.
void SalvoFields(const RunResult& r, SweepRow& row);
/// Adds `row`'s salvo fields to `csv`.
void WriteSalvoFields(formats::CsvWriter& csv, const SweepRow& row);
/// Reads the salvo fields of `meta` from `fields`, starting at `at`, into `row`; false for one that
/// cannot be read.
bool ReadSalvoFields(const std::vector<std::string>& fields, size_t at, const SweepMeta& meta, SweepRow& row);
/// Reads the outcome named `field`, one of the first `outcomes` of OUTCOMES; false for another.
bool ReadOutcome(const std::string& field, Outcome& outcome, int outcomes);

}  // namespace runner
