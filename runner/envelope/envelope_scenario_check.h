// The checks of an envelope file against its base scenario, once every line of it is read.
#pragma once

#include <string>
#include <vector>

#include "runner/envelope/envelope_definition.h"

namespace runner {

/// Finds `def`'s target in its base scenario and checks the carrier and the dispersions against it;
/// false with `error` as "<where in text>: reason", the CARRIER line standing at `carrierLine` and each
/// VARY line at its entry of `varyLines`.
bool CheckEnvelopeScenario(const DefinitionText& text, EnvelopeDefinition& def, int carrierLine,
                           const std::vector<int>& varyLines, std::string& error);

}  // namespace runner
