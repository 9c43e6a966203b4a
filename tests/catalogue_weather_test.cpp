// The catalogue's scenario files with the keys that move the air.
#include "catalogue.h"

namespace {

using catalogue::Catalogue;
using catalogue::HEAD;

// The steady wind, turbulence and gust keys: loaded, or refused with their line and why.
TEST_F(Catalogue, WeatherScenarioFiles)
{
    const std::string vessels = "BEGIN_VESSELS\nEND_VESSELS\n";
    const std::pair<std::string, const char*> rows[] = {
        {HEAD + "WIND 10 270 power 0.2\nTURBULENCE severe 18446744073709551615\nGUST 3 120 0 -5 0\n" + vessels, nullptr},
        {HEAD + "WIND -1 270\n" + vessels, ":2: expected \"WIND <speed, m/s, 0 or more>"},
        {HEAD + "WIND 10 270 constant 0.2\n" + vessels, ":2: expected \"WIND <speed"},
        {HEAD + "WIND 10 270 cubic\n" + vessels, ":2: expected \"WIND <speed"},
        {HEAD + "WIND_ROW 0 1 1\nWIND_ROW 0 2 2\n" + vessels, ":3: WIND_ROW heights must rise"},
        {HEAD + "WIND_ROW 0 1 1\nWIND 3 0\n" + vessels, ":3: WIND and WIND_ROW lines both give the steady wind"},
        {HEAD + "TURBULENCE stormy\n" + vessels, ":2: expected \"TURBULENCE off|light|moderate|severe"},
        {HEAD + "TURBULENCE light -3\n" + vessels, ":2: expected \"TURBULENCE off|light"},
        {HEAD + "TURBULENCE light 18446744073709551616\n" + vessels, ":2: expected \"TURBULENCE off|light"},
        {HEAD + "TURBULENCE_W20 -1\n" + vessels, ":2: expected one finite non-negative number after TURBULENCE_W20"},
        {HEAD + "GUST 3 0 0 5 0\n" + vessels, ":2: expected \"GUST <start, s, 0 or more> <length, m, above 0>"},
        {HEAD + "GUST 3 100 0 5\n" + vessels, ":2: expected \"GUST"},
    };
    ExpectScenarios(rows);
}

}  // namespace
