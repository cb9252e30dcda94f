#pragma once
// One connection to the X server, shared by the display services built on it (the ports in
// X11Displays, X11GammaTables, X11ColorAdjustments and X11Screenshots): it keeps the list
// of outputs and what each one can do, and forgets it when a RandR event says it changed.
// Declared without X types so that nothing else sees Xlib.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/ColorAdjustments.h"
#include "platform/Displays.h"
#include "platform/GammaTables.h"
#include "platform/Scheduler.h"
#include "platform/Screenshots.h"
#include "platform/linux/Edid.h"

struct _XDisplay;

namespace orvane::platform::linuxsys {

// An output that shows something: connected and driven by a CRTC. The ids are the
// server's XIDs.
struct X11Output {
    unsigned long id = 0;
    std::string connector;
    unsigned long crtc = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0;
    bool primary = false;
    std::optional<EdidIdentity> edid;
};

class X11Session {
public:
    // Takes the connection over; it is closed with the session.
    X11Session(_XDisplay* display, std::shared_ptr<Scheduler> scheduler);
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    _XDisplay* display() const { return dpy_; }
    unsigned long root() const { return root_; }
    unsigned long ctmAtom() const { return ctmAtom_; }
    std::string displayName() const;

    // Held around every use of the connection and of what is kept below.
    std::unique_lock<std::recursive_mutex> lock() { return std::unique_lock(mutex_); }

    // The online outputs, the primary one first. Caller holds the lock.
    const std::vector<X11Output>& outputs();
    std::optional<X11Output> output(std::uint32_t id);
    // Whether the output has the "CTM" property. Caller holds the lock.
    bool hasCtm(unsigned long output);
    // The CRTC's gamma ramp size, 0 or less when it has none. Caller holds the lock.
    int gammaSize(unsigned long crtc);
    // The CRTC's ramp, raw: empty channels when the server refused.
    struct GammaChannels {
        std::vector<std::uint16_t> red, green, blue;
    };
    // Asks for the CRTC's ramp without waiting for the answer: `done` runs on the main loop
    // once the reply has been read (the connection's watch reads it). False, and nothing
    // asked, without a main loop that watches the connection. Caller holds the lock.
    bool requestGamma(unsigned long crtc, std::function<void(GammaChannels)> done);
    std::size_t pendingGammaRequests() const { return gammaRequests_.size(); }
    // Hands over the gamma replies already read: after a round trip of Xlib's own (XSync)
    // a reply may sit read in the queue, and the socket will not signal it again. Caller
    // holds the lock.
    void takeReplies();

    // Called on the main loop after each change of the screen, an output or a CRTC.
    Handle observeReconfiguration(std::function<void()> changed);

private:
    std::vector<X11Output> queryOutputs();
    std::optional<EdidIdentity> readEdid(unsigned long output);
    void takeEvents(bool readSocket = false);
    void drainEvents();

    _XDisplay* dpy_;
    std::shared_ptr<Scheduler> scheduler_;
    unsigned long root_ = 0;
    unsigned long edidAtom_ = 0;
    unsigned long ctmAtom_ = 0;
    bool hasRandr_ = false;
    int randrEventBase_ = 0;
    std::recursive_mutex mutex_;
    Handle watch_;
    std::map<std::uint64_t, std::shared_ptr<std::function<void()>>> observers_;
    std::uint64_t nextObserver_ = 1;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    std::optional<std::vector<X11Output>> outputs_;
    std::map<unsigned long, bool> ctm_;
    std::map<unsigned long, int> gammaSizes_;
    struct GammaRequest {
        unsigned int sequence;
        std::function<void(GammaChannels)> done;
    };
    std::vector<GammaRequest> gammaRequests_;
};

// Xlib reports protocol errors through one process-wide handler: while a trap lives, the
// requests of this thread that fail are counted instead of ending the program.
class X11ErrorTrap {
public:
    X11ErrorTrap();
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;
    // Whether an error arrived since the trap was set; the caller syncs first.
    bool caught() const;

private:
    std::unique_lock<std::mutex> lock_;
};

struct X11Facilities {
    std::string displayName;
    std::shared_ptr<Displays> displays;
    std::shared_ptr<GammaTables> gamma;
    std::shared_ptr<ColorAdjustments> colorAdjustments;
    std::shared_ptr<Screenshots> screenshots;
};

// Null when no X display opens. `displayName` absent: $DISPLAY.
std::shared_ptr<X11Facilities> openX11(std::shared_ptr<Scheduler> scheduler,
                                       const std::optional<std::string>& displayName = std::nullopt);

}  // namespace orvane::platform::linuxsys
