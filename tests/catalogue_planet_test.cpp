// The catalogue's scenario files with the keys of round planets and of plain bodies' mass properties.
#include "catalogue.h"

namespace {

using catalogue::Catalogue;
using catalogue::HEAD;

// The keys of round planets and plain bodies' mass properties: loaded, or refused likewise.
TEST_F(Catalogue, PlanetScenarioFiles)
{
    const std::pair<std::string, const char*> rows[] = {
        {HEAD + "PLANET mars\nBEGIN_VESSELS\nEND_VESSELS\n", ":2: expected \"PLANET flat|earth\""},
        {HEAD + "PLANET_RADIUS 6e6\nPLANET earth\nBEGIN_VESSELS\nEND_VESSELS\n", ":2: PLANET_RADIUS changes a round planet"},
        {HEAD + "PLANET earth\nPLANET flat\nPLANET_J2 0\nBEGIN_VESSELS\nEND_VESSELS\n", ":4: PLANET_J2 changes a round"},
        {HEAD + "PLANET earth\nPLANET_FLATTENING 1\nBEGIN_VESSELS\nEND_VESSELS\n", ":3: expected a flattening from 0"},
        {HEAD + "PLANET earth\nPLANET_RADIUS 0\nBEGIN_VESSELS\nEND_VESSELS\n", ":3: expected one finite positive"},
        {HEAD + "PLANET EARTH\nPLANET_ROTATION -1e-4\nPLANET_J2 0\nBEGIN_VESSELS\nEND_VESSELS\n", nullptr},
        {HEAD + "BEGIN_VESSELS\nt:\n  LOCATION 45 10 0\nEND\nEND_VESSELS\n", ":4: LOCATION places a vessel on a round planet"},
        {HEAD + "PLANET earth\nBEGIN_VESSELS\nt:\n  LOCATION 90.5 10 0\nEND\nEND_VESSELS\n", ":5: expected \"LOCATION"},
        {HEAD + "PLANET earth\nBEGIN_VESSELS\nt:\n  LOCATION 45 10\nEND\nEND_VESSELS\n", ":5: expected \"LOCATION"},
        {HEAD + "PLANET earth\nBEGIN_VESSELS\nK1:Karvex\n  LOCATION -90 540 -1e3\n  GROUNDVEL 1 2 3\nEND\nEND_VESSELS\n", nullptr},
        {HEAD + "BEGIN_VESSELS\nt:\n  PMI 1 -1 1\nEND\nEND_VESSELS\n", ":4: expected three finite numbers, none below 0"},
        {HEAD + "BEGIN_VESSELS\nt:\n  CROSS_SECTIONS 1 1 nan\nEND\nEND_VESSELS\n", ":4: expected three finite numbers, none"},
    };
    ExpectScenarios(rows);
}

}  // namespace
