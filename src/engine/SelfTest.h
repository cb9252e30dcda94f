#pragma once
// The self-test: puts every display on the overlay method, shows a row of colour patches
// on the main screen, applies a series of tint states through the engine, photographs the
// patches (and the menu-bar strip) with the screenshot tool and compares what reached the
// screen with the gains the engine meant. It picks the overlay's layer-colour mode and
// readable-red strategy for the running engine and ends with one report. Main thread;
// every wait goes through the platform's scheduler.
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Kelvin.h"
#include "core/TintState.h"
#include "engine/TintEngine.h"
#include "platform/Geometry.h"
#include "platform/Log.h"
#include "platform/OverlayWindows.h"
#include "support/Date.h"
#include "support/Json.h"
#include "support/Task.h"

namespace orvane {

class SelfTest {
public:
    struct Measurement {
        std::string name;
        std::vector<double> requested;  // normally red, green, blue
        std::vector<double> measured;
        double error = 0;
        bool passed = false;
        std::string note;  // empty: nothing to add
        bool operator==(const Measurement&) const = default;

        Json toJson() const;
        static Measurement fromJson(const Json& json, const std::string& path = "");
    };

    struct Report {
        Date date;
        // The operating system as reports name it ("macOS 26.1.0" on the simulated machine,
        // the os-release name on Linux).
        std::string os;
        std::string chip;
        std::vector<std::string> displays;
        std::string chosenLayerColorMode;
        std::string chosenReadableRedStrategy;
        bool readableRedWorks = false;
        bool darkroomWorks = false;
        bool menuBarTinted = false;
        bool captureExcluded = false;
        std::optional<double> latencyMilliseconds;
        std::vector<Measurement> measurements;
        bool passed = false;
        std::vector<std::string> failures;
        std::vector<std::string> notes;
        bool operator==(const Report&) const = default;

        // Dated now, with the machine's operating system and chip ("Unknown chip" without one).
        static Report fresh(platform::Platform& platform);

        Json toJson() const;
        // Every key but "latencyMilliseconds" is required.
        static Report fromJson(const Json& json, const std::string& path = "");
    };

    class Failure : public std::runtime_error {
    public:
        enum class Kind { captureFailed, screenRecordingDenied };
        static Failure captureFailed(const std::string& detail);
        static Failure screenRecordingDenied();
        Kind kind() const { return kind_; }
        // The readable text, as what() gives it.
        std::string description() const { return what(); }

    private:
        Failure(Kind kind, const std::string& text) : std::runtime_error(text), kind_(kind) {}
        Kind kind_;
    };

    // One capture as encoded sRGB floats, four per pixel (alpha premultiplied); row 0 is the
    // bottom row of the image.
    struct Pixels {
        int width = 0;
        int height = 0;
        std::vector<float> rgba;
    };

    struct Measured {
        std::vector<Multiplier> patches;  // encoded sRGB colours, not gains
        double error = 0;                 // the white patch's
    };

    // A range of pixel coordinates, with or without its upper end.
    struct Span {
        int lower = 0;
        int upper = 0;
        bool includesUpper = true;
        static Span through(int lower, int upper) { return {lower, upper, true}; }
        static Span upTo(int lower, int upper) { return {lower, upper, false}; }
    };

    struct Patch {
        std::string name;
        double red = 0;
        double green = 0;
        double blue = 0;
    };
    static const std::vector<Patch>& patchTable();
    static constexpr double patchSize = 80;  // points, also the patch pitch

    // The text printed on standard output; cannot fail.
    static std::string render(const Report& report);
    // Pretty-printed, keys sorted, "/" escaped; throws JsonError (a non-finite number).
    static std::string json(const Report& report);

    // Where the captures come from: the screenshot tool by default; tests script them.
    using Capturer = std::function<Pixels(const std::optional<platform::Rect>& rect, const std::string& name)>;
    struct Options {
        // The screenshot tool; default: "orvane-screencapture" beside the running program.
        std::filesystem::path screenshotTool;
        // Default: the temporary directory's "orvane-selftest-<pid>".
        std::filesystem::path captureDirectory;
        Capturer capturer;
    };

    explicit SelfTest(std::shared_ptr<TintEngine> engine, Options options = {});
    ~SelfTest();
    SelfTest(const SelfTest&) = delete;
    SelfTest& operator=(const SelfTest&) = delete;

    // The whole test, once; a dry run takes no screenshots and only exercises the engine.
    Task<Report> run(bool dryRun);

    // --- capture and measurement -----------------------------------------------------------
    // Runs the screenshot tool on `rect` (points, top-left origin), reads its PNG and
    // removes the file on every way out. Throws Failure::captureFailed, or the start error.
    Pixels capture(const std::optional<platform::Rect>& rect, const std::string& name);
    // The mean red, green and blue of the pixels whose coordinates lie in the spans and in
    // the image and are whole multiples of `step`; (1, 1, 1) when there is none.
    static Multiplier average(const Pixels& pixels, Span xs, Span ys, int step);
    // The menu-bar strip's mean: every ninth pixel, clear of two rows at each edge.
    static Multiplier menuBarStrip(const Pixels& pixels);
    static bool menuBarTinted(const Multiplier& strip, const Multiplier& baseline);
    // For each pair, the largest absolute channel difference.
    static std::vector<double> channelDistances(const std::vector<Multiplier>& a, const std::vector<Multiplier>& b);
    // The screenshot tool's arguments for a capture of `rect` into `file`.
    static std::vector<std::string> toolArguments(const std::optional<platform::Rect>& rect,
                                                  const std::filesystem::path& file);

    std::vector<Multiplier> capturePatches();
    Task<Measured> measure(std::string name, TintState state, bool checkMenuBar, std::optional<DisplayInfo> display,
                           bool expectExact);
    Task<> apply(TintState state, double duration);
    Task<> sleep(double seconds);

    const Report& report() const { return report_; }
    const platform::Rect& patchRect() const { return patchRect_; }
    const std::filesystem::path& captureDirectory() const { return captureDir_; }
    // Set by the run's baselines; tests of the measurement set them directly.
    std::vector<Multiplier> baselinePatches;
    Multiplier baselineMenuBar = Multiplier::identity;
    void setPatchRect(const platform::Rect& rect) { patchRect_ = rect; }

private:
    Pixels takeCapture(const std::optional<platform::Rect>& rect, const std::string& name);
    void showPatches(const platform::Screen& screen);
    void forceOverlayEverywhere();
    void giveSharingType(platform::SharingType type);
    void checkOverlayAttached();
    // A row without a tolerance of its own takes the verdict of the check it was measured for.
    void judge(std::size_t row, bool passed, const std::string& check);
    Report finish();
    Task<> runChecks(DisplayInfo main);
    Task<> exerciseWithoutCapture();

    std::shared_ptr<TintEngine> engine_;
    platform::Log log_{"selftest"};
    Report report_;
    std::unique_ptr<platform::OverlayWindow> patchWindow_;
    std::filesystem::path captureDir_;
    std::filesystem::path tool_;
    Capturer capturer_;
    platform::Rect patchRect_;
    // The owner's per-display settings while every display is forced onto the overlay.
    std::optional<std::map<std::string, DisplaySettings>> savedSettings_;
};

}  // namespace orvane
