// The dispersions as a sweep's and an envelope's summaries list them, and read back.
#pragma once

#include <vector>

#include <nlohmann/json.hpp>

#include "runner/batch/dispersion.h"

namespace runner {

/// `inputs` as a JSON array: quantity, column, distribution and its two numbers.
nlohmann::ordered_json DispersionsJson(const std::vector<DispersedInput>& inputs);
/// Reads DispersionsJson's array `json` into `inputs`; throws nlohmann's exceptions on a bad one.
std::vector<DispersedInput> ReadDispersionsJson(const nlohmann::ordered_json& json);

}  // namespace runner
