// The self-test's report: its facts about the machine, the JSON document and the text
// printed on standard output.
#include <cmath>
#include <memory>

#include <fmt/format.h>
#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include "engine/DisplayManager.h"
#include "engine/SelfTest.h"

namespace orvane {

namespace {

// User-perceived characters, so a name with accents or emoji lines up like plain text.
std::size_t graphemes(const std::string& text) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> it(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !it) return text.size();
    it->setText(icu::UnicodeString::fromUTF8(text));
    std::size_t count = 0;
    for (it->first(); it->next() != icu::BreakIterator::DONE;) ++count;
    return count;
}

// A cell padded to `width`; a cell that long or longer runs straight into the next one.
std::string cell(const std::string& text, std::size_t width) {
    const std::size_t length = graphemes(text);
    return length < width ? text + std::string(width - length, ' ') : text;
}

std::string fixed3(double value) { return fmt::format("{:.3f}", value); }

std::string values(const std::vector<double>& list) {
    std::string out;
    for (std::size_t i = 0; i < list.size(); ++i) out += (i ? " " : "") + fixed3(list[i]);
    return out;
}

std::vector<double> numbers(const Json& json, const std::string& path) {
    if (!json.is_array()) json::typeMismatch("Array<Double>", json, path);
    std::vector<double> out;
    for (std::size_t i = 0; i < json.size(); ++i)
        out.push_back(json::asDouble(json[i], path + "[" + std::to_string(i) + "]"));
    return out;
}

std::vector<std::string> strings(const Json& json, const std::string& path) {
    if (!json.is_array()) json::typeMismatch("Array<String>", json, path);
    std::vector<std::string> out;
    for (std::size_t i = 0; i < json.size(); ++i)
        out.push_back(json::asString(json[i], path + "[" + std::to_string(i) + "]"));
    return out;
}

}  // namespace

SelfTest::Failure SelfTest::Failure::captureFailed(const std::string& detail) {
    return Failure(Kind::captureFailed, "screencapture failed: " + detail);
}

SelfTest::Failure SelfTest::Failure::screenRecordingDenied() {
    return Failure(Kind::screenRecordingDenied,
                   "Screen capture permission is required for the process running the self-test.");
}

SelfTest::Report SelfTest::Report::fresh(platform::Platform& platform) {
    Report report;
    report.date = platform.clock().now();
    report.os = platform.systemInfo().osDisplayName();
    report.chip = SystemFacts(platform).chipDisplayName();
    return report;
}

Json SelfTest::Measurement::toJson() const {
    return Json{{"name", name},   {"requested", requested}, {"measured", measured},
                {"error", error}, {"passed", passed},       {"note", note}};
}

SelfTest::Measurement SelfTest::Measurement::fromJson(const Json& json, const std::string& path) {
    const json::ObjectReader r(json, path);
    Measurement m;
    m.name = r.string("name");
    m.requested = numbers(r.required("requested"), r.pathOf("requested"));
    m.measured = numbers(r.required("measured"), r.pathOf("measured"));
    m.error = r.number("error");
    m.passed = r.boolean("passed");
    m.note = r.string("note");
    return m;
}

Json SelfTest::Report::toJson() const {
    Json out{{"date", json::encodeDate(date)},
             {"os", os},
             {"chip", chip},
             {"displays", displays},
             {"chosenLayerColorMode", chosenLayerColorMode},
             {"chosenReadableRedStrategy", chosenReadableRedStrategy},
             {"readableRedWorks", readableRedWorks},
             {"darkroomWorks", darkroomWorks},
             {"menuBarTinted", menuBarTinted},
             {"captureExcluded", captureExcluded},
             {"measurements", json::encodeList(measurements)},
             {"passed", passed},
             {"failures", failures},
             {"notes", notes}};
    json::putOptional(out, "latencyMilliseconds", latencyMilliseconds);
    return out;
}

SelfTest::Report SelfTest::Report::fromJson(const Json& json, const std::string& path) {
    const json::ObjectReader r(json, path);
    Report report;
    report.date = r.date("date");
    report.os = r.string("os");
    report.chip = r.string("chip");
    report.displays = strings(r.required("displays"), r.pathOf("displays"));
    report.chosenLayerColorMode = r.string("chosenLayerColorMode");
    report.chosenReadableRedStrategy = r.string("chosenReadableRedStrategy");
    report.readableRedWorks = r.boolean("readableRedWorks");
    report.darkroomWorks = r.boolean("darkroomWorks");
    report.menuBarTinted = r.boolean("menuBarTinted");
    report.captureExcluded = r.boolean("captureExcluded");
    report.latencyMilliseconds = r.optNumber("latencyMilliseconds");
    const Json& list = r.required("measurements");
    if (!list.is_array()) json::typeMismatch("Array<Measurement>", list, r.pathOf("measurements"));
    for (std::size_t i = 0; i < list.size(); ++i)
        report.measurements.push_back(
            Measurement::fromJson(list[i], r.pathOf("measurements") + "[" + std::to_string(i) + "]"));
    report.passed = r.boolean("passed");
    report.failures = strings(r.required("failures"), r.pathOf("failures"));
    report.notes = strings(r.required("notes"), r.pathOf("notes"));
    return report;
}

std::string SelfTest::json(const Report& report) {
    const std::string text = json::encodePretty(report.toJson());
    // Slashes are written escaped, as reports of this kind have always been; in JSON text a
    // "/" can only stand inside a string.
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '/') out += '\\';
        out += c;
    }
    return out;
}

std::string SelfTest::render(const Report& r) {
    std::vector<std::string> lines;
    lines.push_back(std::string("Orvane self-test — ") + (r.passed ? "PASS" : "FAIL"));
    lines.push_back(r.os + " · " + r.chip);
    for (const auto& display : r.displays) lines.push_back("display: " + display);
    lines.push_back("layer color mode: " + r.chosenLayerColorMode + "  readable red: " +
                    (r.readableRedWorks ? "works (" + r.chosenReadableRedStrategy + ")" : std::string("FAILED")) +
                    "  darkroom: " + (r.darkroomWorks ? "works" : "FAILED"));
    lines.push_back(std::string("panel tinted: ") + (r.menuBarTinted ? "true" : "false") +
                    "  capture excluded: " + (r.captureExcluded ? "true" : "false") + "  latency: " +
                    (r.latencyMilliseconds ? fmt::format("{:.0f} ms", *r.latencyMilliseconds) : std::string("n/a")));
    lines.emplace_back();
    lines.push_back(cell("test", 46) + cell("requested", 22) + cell("measured", 22) + cell("err", 7) + "result");
    for (const auto& m : r.measurements) {
        lines.push_back(cell(m.name, 46) + cell(values(m.requested), 22) + cell(values(m.measured), 22) +
                        cell(fixed3(m.error), 7) + (m.passed ? "PASS" : "FAIL"));
        if (!m.note.empty()) lines.push_back("    " + m.note);
    }
    const auto section = [&](const char* heading, const std::vector<std::string>& entries) {
        if (entries.empty()) return;
        lines.emplace_back();
        lines.emplace_back(heading);
        for (const auto& e : entries) lines.push_back("  - " + e);
    };
    section("failures:", r.failures);
    section("notes:", r.notes);

    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + lines[i];
    return text;
}

}  // namespace orvane
