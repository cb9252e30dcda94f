// The tray item on a private X server without a tray host: the hidden-icon notice opens
// 2 s after start, the debug popover window shows the 352-wide popover, a forwarded
// toggle turns the item's icon to the dimmed off glyph, and the popover's corners show the
// desktop with and without a compositing manager.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <systemd/sd-bus.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "Compositor.h"
#include "ExpectedTrayGlyph.h"
#include "FakeStatusNotifierWatcher.h"
#include "MappedWindows.h"
#include "Onboarded.h"
#include "ProgramProcess.h"
#include "SessionBus.h"
#include "XProgramTest.h"
#include "XvfbServer.h"

namespace orvane::e2e {
namespace {

// A client of the private bus for asking the item.
class BusClient {
public:
    explicit BusClient(const std::string& address) {
        sd_bus_new(&bus_);
        sd_bus_set_address(bus_, address.c_str());
        sd_bus_set_bus_client(bus_, 1);
        if (sd_bus_start(bus_) < 0) bus_ = sd_bus_unref(bus_);
    }
    ~BusClient() {
        if (bus_) sd_bus_flush_close_unref(bus_);
    }
    // The tooltip's title and text.
    std::string toolTip(const std::string& service) {
        sd_bus_message* reply = nullptr;
        sd_bus_error error{};
        std::string out;
        if (sd_bus_get_property(bus_, service.c_str(), "/StatusNotifierItem", "org.kde.StatusNotifierItem", "ToolTip",
                                &error, &reply, "(sa(iiay)ss)") >= 0) {
            const char* icon = nullptr;
            const char* title = nullptr;
            const char* text = nullptr;
            if (sd_bus_message_enter_container(reply, 'r', "sa(iiay)ss") >= 0 &&
                sd_bus_message_read(reply, "s", &icon) >= 0 && sd_bus_message_skip(reply, "a(iiay)") >= 0 &&
                sd_bus_message_read(reply, "ss", &title, &text) >= 0)
                out = std::string(title ? title : "") + "|" + (text ? text : "");
        }
        sd_bus_error_free(&error);
        sd_bus_message_unref(reply);
        return out;
    }
    // One of the item's IconPixmaps: ARGB32, big-endian, so A, R, G, B per pixel.
    struct Pixmap {
        int width = 0, height = 0;
        std::string bytes;
        int channel(int x, int y, int c) const {
            const std::size_t i =
                4 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) +
                static_cast<std::size_t>(c);
            return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0;
        }
        int alpha(int x, int y) const { return channel(x, y, 0); }
        int maxAlpha() const {
            int a = 0;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) a = std::max(a, alpha(x, y));
            return a;
        }
    };
    std::optional<Pixmap> iconPixmap(const std::string& service) {
        sd_bus_message* reply = nullptr;
        sd_bus_error error{};
        std::optional<Pixmap> best;
        if (sd_bus_get_property(bus_, service.c_str(), "/StatusNotifierItem", "org.kde.StatusNotifierItem",
                                "IconPixmap", &error, &reply, "a(iiay)") >= 0 &&
            sd_bus_message_enter_container(reply, 'a', "(iiay)") >= 0) {
            while (sd_bus_message_enter_container(reply, 'r', "iiay") > 0) {
                Pixmap p;
                const void* data = nullptr;
                std::size_t size = 0;
                if (sd_bus_message_read(reply, "ii", &p.width, &p.height) < 0 ||
                    sd_bus_message_read_array(reply, 'y', &data, &size) < 0)
                    break;
                p.bytes.assign(static_cast<const char*>(data), size);
                sd_bus_message_exit_container(reply);
                if (!best || p.width > best->width) best = std::move(p);
            }
        }
        sd_bus_error_free(&error);
        sd_bus_message_unref(reply);
        return best;
    }
    bool activate(const std::string& service) {
        sd_bus_error error{};
        const int r = sd_bus_call_method(bus_, service.c_str(), "/StatusNotifierItem", "org.kde.StatusNotifierItem",
                                         "Activate", &error, nullptr, "ii", 100, 10);
        sd_bus_error_free(&error);
        return r >= 0;
    }
    bool ok() const { return bus_ != nullptr; }

private:
    sd_bus* bus_ = nullptr;
};

class TrayProgramTest : public XProgramTest {
protected:
    // The mapped top-level windows with their attributes, in stacking order.
    std::vector<std::pair<Window, XWindowAttributes>> topWindows() {
        std::vector<std::pair<Window, XWindowAttributes>> found;
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count)) return found;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes a;
            if (XGetWindowAttributes(dpy, children[i], &a) && a.map_state == IsViewable)
                found.emplace_back(children[i], a);
        }
        if (children) XFree(children);
        return found;
    }

    // The mapped top-level window of this width, if any.
    std::optional<XWindowAttributes> mappedOfWidth(int width) {
        std::optional<XWindowAttributes> found;
        for (const auto& [window, a] : topWindows())
            if (a.width == width) found = a;
        return found;
    }
    bool mappedWidth(int width) { return mappedOfWidth(width).has_value(); }

    // The mapped top-level window with this title, if any.
    std::optional<TopWindow> mapped(const std::string& title) { return mappedWindow(dpy, title); }

    // The program beside a private bus with a tray host, and a client of that bus.
    struct Hosted {
        explicit Hosted(const Session& session) : bus(session.root) {}
        testing::SessionBus bus;
        std::optional<testing::FakeStatusNotifierWatcher> watcher;
        std::optional<ProgramProcess> program;
        std::optional<BusClient> client;
        std::string service;
    };
    // Starts the program with a tray host; `hosted` stays empty (and the test is skipped or
    // failed) unless its item registered.
    void startWithTrayHost(std::unique_ptr<Hosted>& hosted) {
        auto h = std::make_unique<Hosted>(session);
        ORVANE_REQUIRE_TOOL(h->bus.error());
        h->watcher.emplace(h->bus.address());
        ASSERT_TRUE(h->watcher->ready());
        session.environment["DBUS_SESSION_BUS_ADDRESS"] = h->bus.address();
        h->program.emplace(session, std::vector<std::string>{});
        ASSERT_TRUE(h->program->waitFor([&] { return !h->watcher->item().empty(); }, 10s)) << h->program->output();
        h->client.emplace(h->bus.address());
        ASSERT_TRUE(h->client->ok());
        h->service = h->watcher->service();
        hosted = std::move(h);
    }
};

TEST_F(TrayProgramTest, WithoutATrayTheNoticeOpensTwoSecondsAfterStart) {
    storeOnboarded(session.config);  // no welcome window, which the notice waits for
    const auto started = Steady::now();
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitFor([&] { return mapped("Orvane").has_value(); }, 10s)) << program.output();
    EXPECT_GE(Steady::now() - started, 2s) << "the check runs 2 s after the item is made";
    EXPECT_EQ(mapped("Orvane")->width, 540);
}

// On a first start the welcome window comes first; the notice waits until it is done.
TEST_F(TrayProgramTest, OnAFirstStartWithoutATrayTheNoticeWaitsForTheWelcome) {
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitFor([&] { return mapped("Welcome to Orvane").has_value(); }, 10s)) << program.output();
    EXPECT_FALSE(program.waitFor([&] { return mapped("Orvane").has_value(); }, 4s))
        << "the notice opened over the welcome window";
}

TEST_F(TrayProgramTest, DebugPopoverWindowIs352Wide) {
    session.environment["ORVANE_POPOVER_WINDOW"] = "1";
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitFor([&] { return mapped("Popover (debug)").has_value(); }, 10s)) << program.output();
    const auto window = mapped("Popover (debug)");
    EXPECT_EQ(window->width, 352);
    EXPECT_EQ(window->height, 700);
}

TEST_F(TrayProgramTest, WithAWatcherTheItemRegistersAndActivateTogglesThePopover) {
    std::unique_ptr<Hosted> hosted;
    startWithTrayHost(hosted);
    if (!hosted) return;
    std::string tip;
    ASSERT_TRUE(hosted->program->waitFor(
        [&] { return (tip = hosted->client->toolTip(hosted->service)).find("K") != std::string::npos; }, 5s))
        << tip;
    EXPECT_NE(tip.find("Orvane \u00B7 "), std::string::npos) << tip;

    const auto activated = Steady::now();
    ASSERT_TRUE(hosted->client->activate(hosted->service));
    EXPECT_TRUE(hosted->program->waitFor([&] { return mappedWidth(352); }, 5s)) << "Activate maps the popover";
    // Reported, not judged: from the activation to the mapped window.
    RecordProperty(
        "activateToMappedMs",
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - activated).count()));
    ASSERT_TRUE(hosted->client->activate(hosted->service));
    EXPECT_TRUE(hosted->program->waitFor([&] { return !mappedWidth(352); }, 5s)) << "a second Activate unmaps it";
    hosted->program->waitFor([] { return false; }, 2500ms);
    EXPECT_FALSE(mapped("Orvane")) << "a tray host is there: no notice";
}

TEST_F(TrayProgramTest, AForwardedToggleTurnsTheIconToTheDimmedOffGlyph) {
    std::unique_ptr<Hosted> hosted;
    startWithTrayHost(hosted);
    if (!hosted) return;
    std::optional<BusClient::Pixmap> before;
    ASSERT_TRUE(hosted->program->waitFor(
        [&] { return (before = hosted->client->iconPixmap(hosted->service)) && before->maxAlpha() > 0; }, 5s))
        << "the item shows a pixmap";
    // Enabled: the glyph at its full strength.
    EXPECT_GE(before->maxAlpha(), 200);

    // The off glyph as the item draws it, dimmed: pixel by pixel.
    const auto mismatches = [&](const BusClient::Pixmap& shown) {
        if (shown.width != shown.height) return shown.width * shown.height;
        const auto expected = expectedOffGlyph(shown.width);
        int wrong = 0;
        for (int y = 0; y < shown.height; ++y)
            for (int x = 0; x < shown.width; ++x) {
                const auto e = [&](int c) {
                    return int(
                        expected[4 * static_cast<std::size_t>(y * shown.width + x) + static_cast<std::size_t>(c)]);
                };
                bool ok = std::abs(shown.alpha(x, y) - e(0)) <= 3;
                // Where the glyph is solid enough for its colour to survive the rounding.
                for (int c = 1; ok && e(0) >= 48 && c < 4; ++c) ok = std::abs(shown.channel(x, y, c) - e(c)) <= 12;
                wrong += ok ? 0 : 1;
            }
        return wrong;
    };
    EXPECT_GT(mismatches(*before), 0) << "the lit moon is not the off glyph";

    ProgramProcess toggle(session, {"--toggle"});
    EXPECT_TRUE(exitedWith(toggle.waitForExit(), 0)) << toggle.errors();
    // Off, once the change of glyph has run its course.
    std::optional<BusClient::Pixmap> after;
    int wrong = -1;
    EXPECT_TRUE(hosted->program->waitFor(
        [&] { return (after = hosted->client->iconPixmap(hosted->service)) && (wrong = mismatches(*after)) == 0; }, 5s))
        << wrong << " pixels differ from the dimmed off glyph\n"
        << hosted->program->errors();
}

class PopoverShapeTest : public TrayProgramTest, public ::testing::WithParamInterface<bool> {
protected:
    Rgb pixel(int x, int y) { return rootPixel(dpy, x, y); }
};

TEST_P(PopoverShapeTest, JustInsideEachCornerTheDesktopShows) {
    const bool compositing = GetParam();
    // A desktop colour no part of the popover has.
    paintDesktop(dpy, 0xff00ff);
    storeOnboarded(session.config);  // no welcome window over the popover
    std::optional<Compositor> compositor;
    if (compositing) {
        compositor.emplace(server.display());
        ORVANE_REQUIRE_TOOL(std::string(compositor->started() ? "" : "no xcompmgr on PATH"));
        ASSERT_TRUE(compositor->running(dpy)) << "xcompmgr did not start";
    }
    std::unique_ptr<Hosted> hosted;
    startWithTrayHost(hosted);
    if (!hosted) return;
    ASSERT_TRUE(hosted->client->activate(hosted->service));
    std::optional<XWindowAttributes> window;
    ASSERT_TRUE(hosted->program->waitFor([&] { return (window = mappedOfWidth(352)).has_value(); }, 5s))
        << hosted->program->errors();
    const int x = window->x, y = window->y, w = window->width, h = window->height;
    ASSERT_GE(x, 4);
    // The desktop beside the popover, and the popover drawn over its middle.
    const Rgb desktop = pixel(x - 3, y + h / 2);
    ASSERT_TRUE(hosted->program->waitFor([&] { return !pixel(x + w / 2, y + h / 2).near(desktop); }, 5s))
        << "the popover is drawn";
    // Let the last frames land before looking at single pixels.
    hosted->program->waitFor([] { return false; }, 500ms);
    const std::pair<const char*, std::pair<int, int>> corners[] = {
        {"top left", {x + 1, y + 1}},
        {"top right", {x + w - 2, y + 1}},
        {"bottom left", {x + 1, y + h - 2}},
        {"bottom right", {x + w - 2, y + h - 2}},
    };
    for (const auto& [name, at] : corners) {
        const Rgb seen = pixel(at.first, at.second);
        EXPECT_TRUE(seen.near(desktop)) << name << ": " << seen.r << "," << seen.g << "," << seen.b
                                        << " where the desktop is " << desktop.r << "," << desktop.g << ","
                                        << desktop.b;
    }
    // Inside the curve it is the popover.
    EXPECT_FALSE(pixel(x + 14, y + h - 14).near(desktop));
    EXPECT_FALSE(pixel(x + w - 14, y + 14).near(desktop));
}

INSTANTIATE_TEST_SUITE_P(Compositing, PopoverShapeTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& p) {
                             return p.param ? "WithXcompmgr" : "WithoutCompositor";
                         });

}  // namespace
}  // namespace orvane::e2e
