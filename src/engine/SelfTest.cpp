#include "engine/SelfTest.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <coroutine>
#include <cstdint>
#include <system_error>

#include <fmt/format.h>
#include <png.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/DecimalText.h"
#include "core/LayerColorMapping.h"
#include "engine/OverlayBackend.h"

extern char** environ;

namespace orvane {

namespace {

constexpr int patchWindowLevel = 3;  // floating: below the tint panels, above ordinary windows
constexpr double menuBarStripHeight = 30;

std::string triple(const Multiplier& m) { return fmt::format("({:.3f}, {:.3f}, {:.3f})", m.r, m.g, m.b); }

std::vector<double> channels(const Multiplier& m) { return {m.r, m.g, m.b}; }

std::string describe(const DisplayInfo& d) {
    return d.name + " " + std::to_string(static_cast<std::int64_t>(d.frame.standardized().width)) + "×" +
           std::to_string(static_cast<std::int64_t>(d.frame.standardized().height)) + "@" + shortestDecimal(d.scale) +
           "x " + (d.isBuiltIn ? "built-in" : "external");
}

std::filesystem::path besideThisProgram(const char* name) {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return (error ? std::filesystem::path(".") : self.parent_path()) / name;
}

// Removes the file however the capture ends; a failure to remove it is of no interest.
struct RemovedOnExit {
    std::filesystem::path file;
    ~RemovedOnExit() {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    }
};

// The tool's exit status; a tool killed by a signal reports the signal's number.
int runTool(const std::filesystem::path& tool, const std::vector<std::string>& arguments) {
    std::vector<std::string> all{tool.string()};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (const int failed = ::posix_spawn(&pid, tool.c_str(), nullptr, nullptr, argv.data(), environ); failed != 0)
        throw std::system_error(failed, std::generic_category(), "cannot start " + tool.string());
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return 1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? WTERMSIG(status) : 1;
}

// The PNG as 8-bit RGBA, top row first; absent when it cannot be read.
std::optional<SelfTest::Pixels> readPNG(const std::filesystem::path& file) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, file.c_str())) return std::nullopt;
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> bytes(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    SelfTest::Pixels pixels;
    pixels.width = static_cast<int>(image.width);
    pixels.height = static_cast<int>(image.height);
    const std::size_t w = image.width, h = image.height;
    pixels.rgba.assign(w * h * 4, 0.0f);
    // Row 0 of the result is the image's bottom row.
    for (std::size_t y = 0; y < h; ++y) {
        const png_byte* source = bytes.data() + (h - 1 - y) * w * 4;
        float* target = pixels.rgba.data() + y * w * 4;
        for (std::size_t x = 0; x < w; ++x) {
            const float alpha = static_cast<float>(source[x * 4 + 3]) / 255.0f;
            for (std::size_t c = 0; c < 3; ++c)
                target[x * 4 + c] = static_cast<float>(source[x * 4 + c]) / 255.0f * alpha;
            target[x * 4 + 3] = alpha;
        }
    }
    return pixels;
}

// Resumes the waiting coroutine from one of the scheduler's timers. Awaited as a named
// object: g++ 12 destroys a brace-initialised awaiter temporary twice.
struct Pause {
    Pause(std::shared_ptr<platform::Scheduler> s, double wait) : scheduler(std::move(s)), seconds(wait) {}
    std::shared_ptr<platform::Scheduler> scheduler;
    double seconds = 0;
    platform::Handle timer;

    bool await_ready() const noexcept { return !scheduler; }
    void await_suspend(std::coroutine_handle<> waiting) {
        timer = scheduler->schedule(seconds, 0, [waiting] { waiting.resume(); });
    }
    void await_resume() const noexcept {}
};

}  // namespace

const std::vector<SelfTest::Patch>& SelfTest::patchTable() {
    static const std::vector<Patch> table{{"white", 1, 1, 1}, {"gray", 0.5, 0.5, 0.5}, {"red", 1, 0, 0},
                                          {"green", 0, 1, 0}, {"blue", 0, 0, 1},       {"black", 0, 0, 0}};
    return table;
}

SelfTest::SelfTest(std::shared_ptr<TintEngine> engine, Options options)
    : engine_(std::move(engine)),
      report_(Report::fresh(*engine_->platform())),
      captureDir_(std::move(options.captureDirectory)),
      tool_(std::move(options.screenshotTool)),
      capturer_(std::move(options.capturer)) {
    if (captureDir_.empty())
        captureDir_ = std::filesystem::temp_directory_path() / ("orvane-selftest-" + std::to_string(::getpid()));
    if (tool_.empty()) tool_ = besideThisProgram("orvane-screencapture");
    std::error_code ignored;
    std::filesystem::create_directories(captureDir_, ignored);
}

SelfTest::~SelfTest() = default;

// --- capture and measurement -----------------------------------------------------------

std::vector<std::string> SelfTest::toolArguments(const std::optional<platform::Rect>& rect,
                                                 const std::filesystem::path& file) {
    std::vector<std::string> arguments{"-x", "-t", "png"};
    if (rect) {
        const auto whole = [](double v) { return std::to_string(static_cast<std::int64_t>(std::trunc(v))); };
        arguments.push_back("-R");
        arguments.push_back(whole(rect->minX()) + "," + whole(rect->minY()) + "," + whole(std::fabs(rect->width)) +
                            "," + whole(std::fabs(rect->height)));
    }
    arguments.push_back(file.string());
    return arguments;
}

SelfTest::Pixels SelfTest::capture(const std::optional<platform::Rect>& rect, const std::string& name) {
    const auto milliseconds =
        static_cast<std::int64_t>(std::trunc(engine_->platform()->clock().now().secondsSince1970 * 1000));
    const auto file = captureDir_ / (name + "-" + std::to_string(milliseconds) + ".png");
    const auto arguments = toolArguments(rect, file);
    // Removed from here on, whatever happens: the tool may have written part of it.
    const RemovedOnExit removed{file};
    const int status = runTool(tool_, arguments);
    const std::string failure = "status " + std::to_string(status) + " for " + file.filename().string();
    if (status != 0) throw Failure::captureFailed(failure);
    auto pixels = readPNG(file);
    if (!pixels) throw Failure::captureFailed(failure);
    return std::move(*pixels);
}

SelfTest::Pixels SelfTest::takeCapture(const std::optional<platform::Rect>& rect, const std::string& name) {
    return capturer_ ? capturer_(rect, name) : capture(rect, name);
}

Multiplier SelfTest::average(const Pixels& pixels, Span xs, Span ys, int step) {
    if (step <= 0) return Multiplier::identity;
    const auto clip = [step](Span s, int size) {
        // The coordinates inside the image, starting at the first whole multiple of the step.
        const int last = std::min(s.includesUpper ? s.upper : s.upper - 1, size - 1);
        int first = std::max(s.lower, 0);
        if (first % step) first += step - first % step;
        return std::pair{first, last};
    };
    const auto [x0, x1] = clip(xs, pixels.width);
    const auto [y0, y1] = clip(ys, pixels.height);
    double r = 0, g = 0, b = 0;
    std::size_t count = 0;
    for (int x = x0; x <= x1; x += step)
        for (int y = y0; y <= y1; y += step) {
            const float* p =
                pixels.rgba.data() +
                (static_cast<std::size_t>(y) * static_cast<std::size_t>(pixels.width) + static_cast<std::size_t>(x)) *
                    4;
            r += p[0];
            g += p[1];
            b += p[2];
            ++count;
        }
    if (count == 0) return Multiplier::identity;
    const double n = static_cast<double>(count);
    return Multiplier(r / n, g / n, b / n);
}

Multiplier SelfTest::menuBarStrip(const Pixels& pixels) {
    return average(pixels, Span::upTo(0, pixels.width), Span::upTo(2, std::max(pixels.height - 2, 3)), 9);
}

bool SelfTest::menuBarTinted(const Multiplier& strip, const Multiplier& baseline) {
    return strip.b < baseline.b - 0.08 || strip.g < baseline.g - 0.08;
}

std::vector<double> SelfTest::channelDistances(const std::vector<Multiplier>& a, const std::vector<Multiplier>& b) {
    std::vector<double> out;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        out.push_back(std::max({std::fabs(a[i].r - b[i].r), std::fabs(a[i].g - b[i].g), std::fabs(a[i].b - b[i].b)}));
    return out;
}

std::vector<Multiplier> SelfTest::capturePatches() {
    const Pixels pixels = takeCapture(patchRect_, "patches");
    const double scale = patchRect_.width != 0 ? pixels.width / std::fabs(patchRect_.width) : 1;
    const int cy = static_cast<int>(std::trunc(scale * patchSize / 2));
    std::vector<Multiplier> out;
    for (std::size_t i = 0; i < patchTable().size(); ++i) {
        const int cx = static_cast<int>(std::trunc(scale * ((static_cast<double>(i) + 0.5) * patchSize)));
        out.push_back(average(pixels, Span::through(cx - 4, cx + 4), Span::through(cy - 4, cy + 4), 2));
    }
    return out;
}

Task<SelfTest::Measured> SelfTest::measure(std::string name, TintState state, bool checkMenuBar,
                                           std::optional<DisplayInfo> display, bool expectExact) {
    co_await apply(state, 0);
    co_await sleep(0.45);
    const auto after = capturePatches();

    const auto& displays = engine_->displayManager().displays();
    const DisplayInfo* target = displays.empty() ? nullptr : &displays.front();
    if (display)
        for (const auto& d : displays)
            if (d.id == display->id) {
                target = &d;
                break;
            }
    const Multiplier requested = target ? engine_->request(*target).multiplier : Multiplier::identity;
    const Multiplier white = LayerColorMapping::measuredMultiplier(baselinePatches.at(0), after.at(0));
    const Multiplier gray = LayerColorMapping::measuredMultiplier(baselinePatches.at(1), after.at(1));
    const auto largest = [&](const Multiplier& m) {
        return std::max({std::fabs(requested.r - m.r), std::fabs(requested.g - m.g), std::fabs(requested.b - m.b)});
    };
    const double whiteError = largest(white);
    const double grayError = largest(gray);
    // Without exact gains the row has no tolerance of its own: its caller's check judges it.
    const bool passed = expectExact && whiteError <= 0.02 && grayError <= 0.04;
    report_.measurements.push_back(
        {name, channels(requested), channels(white), whiteError, passed,
         "white " + triple(white) + " gray " + triple(gray) + " (encoded white " + triple(after.at(0)) + ")"});

    if (checkMenuBar && display) {
        const platform::Rect frame = display->frame.standardized();
        const Multiplier strip =
            menuBarStrip(takeCapture(platform::Rect{frame.x, 0, frame.width, menuBarStripHeight}, "menubar"));
        const bool tinted = menuBarTinted(strip, baselineMenuBar);
        report_.menuBarTinted = tinted;
        report_.measurements.push_back({"panel tinted at 3400K", channels(baselineMenuBar), channels(strip), 0, tinted,
                                        tinted ? "panel strip lost blue/green" : "panel strip unchanged"});
        if (!tinted) report_.failures.emplace_back("panel not tinted");
    }
    co_return Measured{after, whiteError};
}

Task<> SelfTest::apply(TintState state, double duration) {
    engine_->apply(state, Transition(duration), 0.01);
    co_await sleep(0.05);
}

Task<> SelfTest::sleep(double seconds) {
    const double milliseconds = seconds > 0 ? std::trunc(seconds * 1000) : 0;
    Pause pause(engine_->platform()->scheduler(), milliseconds / 1000);
    co_await pause;
}

// --- the run -----------------------------------------------------------------------------

void SelfTest::forceOverlayEverywhere() {
    savedSettings_ = engine_->displaySettings();
    auto forced = *savedSettings_;
    for (const auto& display : engine_->displays()) {
        DisplaySettings settings = engine_->displaySettings(display);
        settings.enabled = true;
        settings.method = TintMethod::overlay;
        forced[display.key] = settings;
    }
    engine_->setDisplaySettings(std::move(forced));
    engine_->reconfigure();
}

void SelfTest::giveSharingType(platform::SharingType type) { engine_->setSharingType(type); }

// A display the overlay could not attach to is tinted some other way or not at all, so
// nothing measured there would speak for the overlay: the run fails, saying why.
void SelfTest::checkOverlayAttached() {
    for (const auto& display : engine_->displays()) {
        const auto slot = engine_->slots().find(display.id);
        if (slot != engine_->slots().end() && slot->second.method == TintMethod::overlay) continue;
        std::string reason;
        if (slot == engine_->slots().end()) {
            reason = engine_->untintedReason(display).value_or("no method could attach");
        } else {
            reason = slot->second.whyNotRequested;
            reason += (reason.empty() ? "" : "; ") + engine_->methodTitle(slot->second.method) + " tints it instead";
        }
        report_.failures.push_back("overlay could not attach to " + display.name + ": " + reason);
    }
}

void SelfTest::judge(std::size_t row, bool passed, const std::string& check) {
    auto& m = report_.measurements.at(row);
    m.passed = passed;
    m.note += (m.note.empty() ? "" : "; ") + std::string("judged by ") + check;
}

void SelfTest::showPatches(const platform::Screen& screen) {
    const platform::Rect s = screen.frame.standardized();
    const double width = static_cast<double>(patchTable().size()) * patchSize;
    const double x = s.minX() + 40;
    const double y = s.maxY() - 60 - patchSize;
    platform::OverlayStyle style;
    style.level = patchWindowLevel;
    style.opaque = true;
    style.sharingType = platform::SharingType::readOnly;  // screenshots must see it
    auto window = engine_->platform()->overlayWindows().create(platform::Rect{x, y, width, patchSize}, style);
    if (window) {
        std::vector<platform::OverlayLayer> layers;
        for (std::size_t i = 0; i < patchTable().size(); ++i) {
            const auto& p = patchTable()[i];
            layers.push_back({platform::Rect{static_cast<double>(i) * patchSize, 0, patchSize, patchSize}, p.red,
                              p.green, p.blue, 1.0});
        }
        window->setLayers(layers);
        window->orderFront();
    } else {
        log_.error("selftest: the patch window could not be made");
    }
    patchWindow_ = std::move(window);
    const auto screens = engine_->platform()->displays().screens();
    const double top = screens.empty() ? s.height : screens.front().frame.standardized().height;
    patchRect_ = platform::Rect{x, top - (y + patchSize), width, patchSize};
}

SelfTest::Report SelfTest::finish() {
    if (patchWindow_) patchWindow_->orderOut();
    patchWindow_.reset();
    if (savedSettings_) {
        engine_->setDisplaySettings(std::move(*savedSettings_));
        savedSettings_.reset();
        engine_->reconfigure();
    }
    return report_;
}

Task<SelfTest::Report> SelfTest::run(bool dryRun) {
    auto& platform = *engine_->platform();
    for (const auto& display : engine_->displayManager().displays()) report_.displays.push_back(describe(display));

    const auto screens = platform.displays().screens();
    std::optional<DisplayInfo> main;
    if (!screens.empty()) main = DisplayInfo::fromScreen(screens.front(), platform);
    if (!main) {
        report_.failures.emplace_back("no main screen");
        co_return finish();
    }
    if (!dryRun && !platform.screenshots().preflightAccess()) {
        (void)platform.screenshots().requestAccess();
        report_.failures.push_back(Failure::screenRecordingDenied().description());
        co_return finish();
    }

    forceOverlayEverywhere();
    checkOverlayAttached();
    giveSharingType(platform::SharingType::readOnly);
    showPatches(screens.front());
    co_await sleep(0.6);

    if (dryRun) {
        report_.notes.emplace_back("dry run: no captures, engine paths only");
        co_await exerciseWithoutCapture();
        report_.passed = report_.failures.empty();
        co_return finish();
    }

    // Any capture or measurement error ends the checks; the verdict still follows.
    std::optional<std::string> error;
    try {
        co_await runChecks(*main);
    } catch (const std::exception& e) {
        error = e.what();
    }
    if (error) {
        report_.failures.push_back(*error);
        giveSharingType(platform::SharingType::none);
        co_await apply(TintState::off, 0);
    }

    for (const auto& m : report_.measurements)
        if (m.name.find("K dim") != std::string::npos && !m.passed) {
            report_.failures.emplace_back("multipliers outside ±2 %");
            break;
        }
    report_.passed = report_.failures.empty() && report_.menuBarTinted && report_.captureExcluded;
    co_return finish();
}

Task<> SelfTest::runChecks(DisplayInfo main) {
    // Baselines, untinted.
    baselinePatches = capturePatches();
    const platform::Rect mainFrame = main.frame.standardized();
    baselineMenuBar =
        menuBarStrip(takeCapture(platform::Rect{mainFrame.x, 0, mainFrame.width, menuBarStripHeight}, "menubar"));
    report_.notes.push_back("baseline white patch encoded RGB = " + triple(baselinePatches.at(0)));

    // Layer colour mode: the smallest white error wins; a tie keeps the earlier mode.
    std::optional<std::pair<LayerColorMode, double>> best;
    for (const auto mode : allCases<LayerColorMode>()) {
        Calibration calibration = engine_->calibration();
        calibration.layerColorMode = mode;
        engine_->setCalibration(calibration);
        const auto measured = co_await measure("calibration " + std::string(toString(mode)) + " 3400K",
                                               TintState(3400, 1.0, RedStyle::pure, false), false, main, true);
        if (!best || measured.error < best->second) best = std::pair{mode, measured.error};
    }
    {
        Calibration calibration = engine_->calibration();
        calibration.layerColorMode = best->first;
        engine_->setCalibration(calibration);
        report_.chosenLayerColorMode = std::string(toString(best->first));
        report_.notes.push_back("layer color mode: " + report_.chosenLayerColorMode + " (max error " +
                                fmt::format("{:.3f}", best->second) + ")");
    }

    // Gains against what the engine asked for.
    static constexpr std::pair<std::int64_t, double> table[] = {{6500, 1.0}, {3400, 1.0}, {1200, 1.0},
                                                                {500, 1.0},  {6500, 0.5}, {3400, 0.5}};
    for (const auto& [kelvin, dim] : table) {
        const TintState state(kelvin, dim, RedStyle::pure, false);
        const auto percent = static_cast<std::int64_t>(std::trunc(dim * 100));
        co_await measure(std::to_string(kelvin) + "K dim " + std::to_string(percent) + "%", state,
                         kelvin == 3400 && dim == 1.0, main, true);
    }
    co_await apply(TintState::off, 0);

    // Latency: captures back to back until the tint shows on the white patch.
    const auto& clock = engine_->platform()->clock();
    const double started = clock.monotonic();
    co_await apply(TintState(1200, 1.0, RedStyle::pure, false), 0);
    constexpr int latencyCaptures = 12;
    for (int i = 0; i < latencyCaptures && !report_.latencyMilliseconds; ++i) {
        const auto patches = capturePatches();
        if (std::fabs(patches.at(0).g - baselinePatches.at(0).g) > 0.1)
            report_.latencyMilliseconds = (clock.monotonic() - started) * 1000;
    }
    if (!report_.latencyMilliseconds)
        report_.failures.push_back("latency: tint never showed up in " + std::to_string(latencyCaptures) + " captures");

    // Readable red: the blue patch must stay visible, as red.
    std::optional<ReadableRedStrategy> chosen;
    for (const auto strategy : allCases<ReadableRedStrategy>()) {
        Calibration calibration = engine_->calibration();
        calibration.readableRedStrategy = strategy;
        engine_->setCalibration(calibration);
        co_await apply(TintState::off, 0);
        const std::string raw(toString(strategy));
        const std::size_t row = report_.measurements.size();
        const auto measured =
            co_await measure("readable red 500K (" + raw + ")", TintState(500, 1.0, RedStyle::readable, false), false,
                             std::nullopt, false);
        const Multiplier blue = measured.patches.at(4);
        const bool passed = blue.r > 0.08;
        judge(row, passed, "the blue patch");
        report_.measurements.push_back({"readable red blue patch (" + raw + ")",
                                        {1, 0, 0},
                                        channels(blue),
                                        0,
                                        passed,
                                        passed ? "blue patch visible as red" : "blue patch went black"});
        if (passed && !chosen) chosen = strategy;
    }
    report_.readableRedWorks = chosen.has_value();
    report_.chosenReadableRedStrategy = std::string(toString(chosen.value_or(ReadableRedStrategy::layers)));
    {
        Calibration calibration = engine_->calibration();
        calibration.readableRedStrategy = chosen.value_or(ReadableRedStrategy::layers);
        engine_->setCalibration(calibration);
    }
    co_await apply(TintState::off, 0);

    // Darkroom: black turns red, white turns dark.
    {
        const std::size_t row = report_.measurements.size();
        const auto measured =
            co_await measure("darkroom 500K", TintState(500, 1.0, RedStyle::pure, true), false, std::nullopt, false);
        const Multiplier black = measured.patches.at(5);
        const Multiplier white = measured.patches.at(0);
        report_.darkroomWorks = black.r > 0.5 && white.r < 0.25 && black.g < 0.15;
        judge(row, report_.darkroomWorks, "the black and white patches");
        report_.measurements.push_back(
            {"darkroom black→red / white→dark",
             {1, 0, 0},
             {black.r, white.r, white.g},
             0,
             report_.darkroomWorks,
             "black patch r=" + fmt::format("{:.3f}", black.r) + ", white patch r=" + fmt::format("{:.3f}", white.r)});
        co_await apply(TintState::off, 0);
    }

    // Capture exclusion: with the overlay hidden from screenshots it must not reach the
    // capture. Only an overlay that showed in the captures before can be found missing.
    const std::string exclusion = "hidden from screenshots: capture == baseline";
    if (!report_.latencyMilliseconds) {
        report_.measurements.push_back(
            {exclusion, channels(baselinePatches.at(0)), {}, 0, false, "not run: no overlay was shown"});
        report_.failures.emplace_back("capture exclusion not checked: no overlay was shown");
        co_return;
    }
    giveSharingType(platform::SharingType::none);
    co_await apply(TintState(1200, 1.0, RedStyle::pure, false), 0);
    co_await sleep(0.5);
    const auto excluded = capturePatches();
    const auto distances = channelDistances(excluded, baselinePatches);
    const double distance = distances.empty() ? 1.0 : *std::max_element(distances.begin(), distances.end());
    report_.captureExcluded = distance < 0.03;
    report_.measurements.push_back(
        {exclusion, channels(baselinePatches.at(0)), channels(excluded.at(0)), distance, report_.captureExcluded,
         report_.captureExcluded ? "overlay left out of the capture" : "overlay showed in the capture"});
    if (!report_.captureExcluded)
        report_.failures.emplace_back("overlay showed in a capture though hidden from screenshots");
    giveSharingType(platform::SharingType::readOnly);
    co_await apply(TintState::off, 0);
}

Task<> SelfTest::exerciseWithoutCapture() {
    for (const auto mode : allCases<LayerColorMode>()) {
        Calibration calibration = engine_->calibration();
        calibration.layerColorMode = mode;
        engine_->setCalibration(calibration);
        co_await apply(TintState(3400, 1.0, RedStyle::pure, false), 0);
    }
    for (const auto strategy : allCases<ReadableRedStrategy>()) {
        Calibration calibration = engine_->calibration();
        calibration.readableRedStrategy = strategy;
        engine_->setCalibration(calibration);
        co_await apply(TintState(500, 1.0, RedStyle::readable, false), 0);
    }
    co_await apply(TintState(500, 1.0, RedStyle::pure, true), 0);
    co_await apply(TintState(1200, 0.5, RedStyle::pure, false), 0.15);
    engine_->verifyAll("selftest");
    for (const auto& [id, slot] : engine_->slots()) {
        if (!slot.backend || slot.backend->kind() != BackendKind::overlay) continue;
        const auto& overlay = static_cast<const OverlayBackend&>(*slot.backend);
        if (!overlay.panel() || !overlay.panel()->window().isVisible())
            report_.failures.push_back("overlay panel not visible on " + slot.display.name);
    }
    co_await apply(TintState::off, 0);
    std::string backends;
    for (const auto& line : engine_->describeBackends()) backends += (backends.empty() ? "" : ", ") + line;
    report_.notes.push_back("backends: " + backends);
}

}  // namespace orvane
