// The missile's scenario state: the motor clock under "BURNTIME"; all else is the host's.
#include <cmath>
#include <cstdio>

#include "host/zapi.h"
#include "missile/guided_missile.h"
#include "missile/text_prefix.h"

void GuidedMissile::clbkSaveState(HostHandle scn)
{
    // The host writes its own state lines; the missile adds only its motor clock.
    zapiWriteScenario_float(scn, "BURNTIME", burnTime);
}

void GuidedMissile::clbkLoadStateEx(HostHandle scn, void* status)
{
    char* line = nullptr;
    while (zapiReadScenario_nextline(scn, line)) {
        // A host that hands out no text has nothing to read or pass on.
        if (line == nullptr) {
            continue;
        }
        if (StartsWithNoCase(line, "BURNTIME")) {
            double value = 0.0;
            // nan or an infinite time is no motor clock either: refused like an unreadable number,
            // it leaves the clock as it was.
            // NOLINTNEXTLINE(cert-err34-c): the count is checked, and an overflow reads as infinite
            if (std::sscanf(line + 8, "%lf", &value) == 1 && std::isfinite(value)) {
                burnTime = value;
            }
        } else {
            ParseScenarioLineEx(line, status);
        }
    }
}
