// Envelope files: each line read on its own, then the checks between lines, and those against the
// base scenario (envelope_scenario_check.cpp).
#include "runner/envelope/envelope_definition.h"

#include <algorithm>

#include "formats/number_text.h"
#include "formats/scenario_keys.h"
#include "formats/utf8.h"
#include "runner/batch/definition_lines.h"
#include "runner/envelope/envelope_scenario_check.h"

namespace runner {

namespace {

constexpr const char* ENVELOPE_MAGIC = "KARVEX-ENVELOPE 1";

// The statements of an envelope file, in the order the message for an unknown line lists them.
enum Statement : int {
    Scenario, Carrier, Altitudes, Speeds, TargetSpeeds, TargetCourses, Bearings, Range, Tolerance, Scan, Setting,
    Vary, Probability, Confidence, Runs, Seed, STATEMENT_COUNT
};
const char* const NAMES[STATEMENT_COUNT] = {"SCENARIO", "CARRIER", "ALTITUDES", "SPEEDS", "TARGET_SPEEDS",
                                            "TARGET_COURSES", "BEARINGS", "RANGE", "TOLERANCE", "SCAN", "SETTING",
                                            "VARY", "PROBABILITY", "CONFIDENCE", "RUNS", "SEED"};
// What follows each keyword, for a line with too few or too many words (lists and VARY say their own).
const char* const USAGES[STATEMENT_COUNT] = {"<file>", "<vessel>", "", "", "", "", "", "<min m> <max m>", "<m>",
                                             "<m>", "<settings line>", "", "<probability>", "<confidence>",
                                             "<runs>", "<seed>"};

// What the lines read so far tell beyond the definition itself.
struct Reading {
    int lineOf[STATEMENT_COUNT] = {};   // where each statement last stood, 0 where none did
    std::string given[STATEMENT_COUNT]; // its first word after the keyword, as written
    std::vector<int> varyLines;         // where each VARY line stood
};

// A vessel name may hold blanks: the rest of `line` after its keyword, without the comment.
std::string RestOfLine(const std::string& line, const std::vector<std::string>& w)
{
    const std::string text = line.substr(0, line.find(';'));
    return formats::Trim(text.substr(text.find(w[1], text.find(w[0]) + w[0].size())));
}

// One or more numbers, each as `ok` allows, bearings strictly rising, a target's speeds and courses
// each once; false with `why`.
bool ReadList(Statement s, const std::vector<std::string>& w, bool (*ok)(double), const char* needs,
              const char* rule, std::vector<double>& values, std::string& why)
{
    if (w.size() < 2) {
        why = std::string(NAMES[s]) + " needs one or more " + needs;
        return false;
    }
    for (size_t k = 1; k < w.size(); ++k) {
        double value = 0.0;
        if (!FiniteNumber(w[k], value) || !ok(value)) {
            why = std::string(NAMES[s]) + " must be " + rule + ", got \"" + w[k] + "\"";
            return false;
        }
        if (s == Bearings && !values.empty() && value <= values.back()) {
            why = "BEARINGS must rise strictly, got \"" + w[k] + "\" after \"" + w[k - 1] + "\"";
            return false;
        }
        const bool target = s == TargetSpeeds || s == TargetCourses;
        if (target && std::find(values.begin(), values.end(), value) != values.end()) {
            why = std::string(NAMES[s]) + " gives \"" + w[k] + "\" twice";
            return false;
        }
        values.push_back(value);
    }
    return true;
}

// "RANGE <min m> <max m>": from 0 on, the nearest below the farthest.
bool ReadRange(const std::vector<std::string>& w, EnvelopeDefinition& def, std::string& why)
{
    if (!FiniteNumber(w[1], def.rangeMin) || !FiniteNumber(w[2], def.rangeMax)) {
        why = "RANGE must be two finite numbers, m, got \"" + w[1] + " " + w[2] + "\"";
    } else if (def.rangeMin < 0.0) {
        why = "RANGE must start at 0 m or beyond, got \"" + w[1] + "\"";
    } else if (def.rangeMin > def.rangeMax) {
        why = "RANGE reversed: " + w[1] + " is above " + w[2];
    } else if (def.rangeMin == def.rangeMax) {
        why = "RANGE empty: it starts and ends at " + w[1];
    }
    return why.empty();
}

// One finite number, m; how it compares with the range is checked once the file is read.
bool ReadLength(Statement s, const std::string& word, double& value, std::string& why)
{
    if (!FiniteNumber(word, value)) {
        why = std::string(NAMES[s]) + " must be a finite number, m, got \"" + word + "\"";
    }
    return why.empty();
}

// One number strictly between 0 and 1.
bool ReadFraction(Statement s, const std::string& word, double& value, std::string& why)
{
    if (!FiniteNumber(word, value) || value <= 0.0 || value >= 1.0) {
        why = std::string(NAMES[s]) + " must be a number above 0 and below 1, got \"" + word + "\"";
    }
    return why.empty();
}

// The statement `s` of words `w` (their count already checked) into `def`; false with `why`.
bool ReadValue(const std::string& path, const std::string& line, const std::vector<std::string>& w, Statement s,
               EnvelopeDefinition& def, std::string& why)
{
    switch (s) {
    case Scenario: return ReadBaseScenario(path, w[1], def.batch, why);
    case Carrier: def.carrier = RestOfLine(line, w); return true;
    case Altitudes:
        return ReadList(s, w, [](double) { return true; }, "altitudes, m", "finite numbers, m", def.altitudes, why);
    case Speeds:
        return ReadList(s, w, [](double v) { return v > 0.0; }, "speeds, m/s", "numbers above 0, m/s", def.speeds,
                        why);
    case TargetSpeeds:
        return ReadList(s, w, [](double v) { return v >= 0.0; }, "target speeds, m/s", "numbers from 0 up, m/s",
                        def.targetSpeeds, why);
    case TargetCourses:
        return ReadList(s, w, [](double) { return true; }, "target courses, deg", "finite numbers, deg",
                        def.targetCourses, why);
    case Bearings:
        return ReadList(s, w, [](double v) { return v >= -180.0 && v <= 180.0; }, "bearings, deg",
                        "numbers from -180 to 180, deg", def.bearings, why);
    case Range: return ReadRange(w, def, why);
    case Tolerance: return ReadLength(s, w[1], def.tolerance, why);
    case Scan: return ReadLength(s, w[1], def.scan, why);
    case Setting: return ReadSettingLine(line, w, def.batch, why);
    case Vary: return ReadVaryLine(w, def.batch.dispersions.emplace_back(), why);
    case Probability: return ReadFraction(s, w[1], def.probability, why);
    case Confidence: return ReadFraction(s, w[1], def.confidence, why);
    case Runs: return ReadRunsWord(w[1], MAX_POINT_RUNS, def.batch.runs, why);
    default: return ReadSeedWord(w[1], def.batch.seed, why);
    }
}

// One line after the magic line, number `number`; false with `why`.
bool ReadStatement(const std::string& path, const std::string& line, const std::vector<std::string>& w,
                   int number, EnvelopeDefinition& def, Reading& r, std::string& why)
{
    int s = 0;
    while (s < STATEMENT_COUNT && !SameKeyword(w[0], NAMES[s])) {
        ++s;
    }
    if (s == STATEMENT_COUNT) {
        why = "unknown line \"" + line + "\": expected SCENARIO, CARRIER, ALTITUDES, SPEEDS, TARGET_SPEEDS, "
              "TARGET_COURSES, BEARINGS, RANGE, TOLERANCE, SCAN, SETTING, VARY, PROBABILITY, CONFIDENCE, RUNS or SEED";
        return false;
    }
    const bool repeatable = s == Setting || s == Vary;
    if (!repeatable && r.lineOf[s] != 0) {
        why = std::string("a second ") + NAMES[s] + " line: the first is line " + std::to_string(r.lineOf[s]);
        return false;
    }
    // Lists and VARY check their own words; a name or a settings line may hold blanks.
    const bool list = s == Altitudes || s == Speeds || s == TargetSpeeds || s == TargetCourses || s == Bearings ||
                      s == Vary;
    const bool rest = s == Carrier || s == Setting;
    const size_t words = s == Range ? 3 : 2;
    if (!list && (rest ? w.size() < 2 : w.size() != words)) {
        const std::string found = formats::Trim(line.substr(0, line.find(';')));
        why = std::string("expected \"") + NAMES[s] + " " + USAGES[s] + "\", got \"" + found + "\"";
        return false;
    }
    r.lineOf[s] = number;
    r.given[s] = w.size() > 1 ? w[1] : "";
    if (s == Vary) {
        r.varyLines.push_back(number);
    }
    return ReadValue(path, line, w, static_cast<Statement>(s), def, why);
}

// The checks between lines of `text`, once every line is read, and the defaults they leave; false
// with `error`.
bool CheckStatements(const DefinitionText& text, EnvelopeDefinition& def, const Reading& r, std::string& error)
{
    for (Statement s : {Scenario, Carrier, Altitudes, Speeds, Bearings, Range, Tolerance}) {
        if (r.lineOf[s] == 0 && !(s == Scenario && text.base != nullptr)) {
            return FailAt(text, 0, std::string("no ") + NAMES[s] + " line", error);
        }
    }
    if (def.Probabilistic() && r.lineOf[Probability] == 0) {
        return FailAt(text, 0, "no PROBABILITY line: VARY lines need the probability of hit to reach", error);
    }
    for (Statement s : {Probability, Confidence, Runs}) {
        if (!def.Probabilistic() && r.lineOf[s] != 0) {
            return FailAt(text, r.lineOf[s],
                          std::string(NAMES[s]) + " needs VARY lines: without them each probe point is one flight",
                          error);
        }
    }
    const double span = def.rangeMax - def.rangeMin;
    const std::string range = "no larger than the range (" + formats::FormatNumber(span) + " m), got \"";
    if (!(def.tolerance > 0.0 && def.tolerance <= span)) {
        return FailAt(text, r.lineOf[Tolerance], "TOLERANCE must be above 0 and " + range + r.given[Tolerance] + "\"",
                      error);
    }
    if (r.lineOf[Scan] == 0) {
        def.scan = DefaultScan(def.rangeMin, def.rangeMax, def.tolerance);
    } else if (!(def.scan >= def.tolerance && def.scan <= span)) {
        return FailAt(text, r.lineOf[Scan],
                      "SCAN must be no smaller than the tolerance (" + formats::FormatNumber(def.tolerance) +
                          " m) and " + range + r.given[Scan] + "\"",
                      error);
    }
    if (r.lineOf[TargetCourses] != 0 && !def.TargetConditions()) {
        return FailAt(text, r.lineOf[TargetCourses],
                      "TARGET_COURSES needs TARGET_SPEEDS: a still target has no course", error);
    }
    if (def.TargetConditions() && def.targetCourses.empty()) {
        def.targetCourses = {0.0};  // along the track, away from the carrier
    }
    // Without dispersions a probe point is one flight.
    def.batch.runs = !def.Probabilistic() ? 1 : r.lineOf[Runs] != 0 ? def.batch.runs : DEFAULT_POINT_RUNS;
    return true;
}

}  // namespace

bool ReadEnvelope(const std::string& path, EnvelopeDefinition& def, std::string& error)
{
    DefinitionText text;
    if (!ReadDefinitionFile(path, text)) {
        error = "cannot read envelope file " + path;
        return false;
    }
    return ReadEnvelope(text, def, error);
}

bool ReadEnvelope(const DefinitionText& text, EnvelopeDefinition& def, std::string& error)
{
    def = EnvelopeDefinition{};
    def.path = text.path;
    def.batch.path = text.path;
    if (text.base != nullptr) {
        TakeBaseScenario(*text.base, def.batch);
    }
    Reading r;
    const std::string notEnvelope = std::string("not an envelope file: expected \"") + ENVELOPE_MAGIC + "\"";
    int number = 0;
    bool magic = false;
    for (const std::string& line : text.lines) {
        ++number;
        // Labels and names reach the JSON outputs, which hold only UTF-8.
        if (const std::string bad = formats::Utf8Problem(line); !bad.empty()) {
            return FailAt(text, number, bad, error);
        }
        const std::vector<std::string> w = DefinitionWords(line);
        std::string why;
        if (w.empty()) {
            continue;
        }
        if (!magic && !IsMagicLine(line, ENVELOPE_MAGIC)) {
            return FailAt(text, number, notEnvelope, error);
        }
        if (!magic) {
            magic = true;
        } else if (!ReadStatement(text.path, line, w, number, def, r, why)) {
            return FailAt(text, number, why, error);
        }
    }
    if (!magic) {
        return FailAt(text, 1, notEnvelope, error);
    }
    return CheckStatements(text, def, r, error) &&
           CheckEnvelopeScenario(text, def, r.lineOf[Carrier], r.varyLines, error);
}

std::vector<TargetMotion> TargetMotions(const std::vector<double>& speeds, const std::vector<double>& courses)
{
    std::vector<TargetMotion> motions;
    for (double speed : speeds) {
        if (speed == 0.0) {
            motions.push_back({});
        }
        for (size_t k = 0; speed > 0.0 && k < courses.size(); ++k) {
            motions.push_back({speed, courses[k]});
        }
    }
    return motions.empty() ? std::vector<TargetMotion>{TargetMotion{}} : motions;
}

}  // namespace runner
