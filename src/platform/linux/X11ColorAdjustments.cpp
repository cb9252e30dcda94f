#include "platform/linux/X11ColorAdjustments.h"

#include <algorithm>
#include <cmath>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include "platform/Status.h"

namespace orvane::platform::linuxsys {

namespace {

constexpr Matrix3x3 identity{1, 0, 0, 0, 1, 0, 0, 0, 1};

}  // namespace

std::vector<std::uint32_t> encodeCtm(const Matrix3x3& matrix) {
    std::vector<std::uint32_t> words;
    for (float f : matrix) {
        const double v = static_cast<double>(f);
        const double magnitude = std::min(std::fabs(v), 2147483647.0);
        auto fixed = static_cast<std::uint64_t>(std::llround(magnitude * 4294967296.0));
        if (v < 0) fixed |= 1ull << 63;
        words.push_back(static_cast<std::uint32_t>(fixed & 0xFFFFFFFFu));
        words.push_back(static_cast<std::uint32_t>(fixed >> 32));
    }
    return words;
}

Matrix3x3 decodeCtm(const std::vector<std::uint32_t>& words) {
    Matrix3x3 m = identity;
    if (words.size() < 18) return m;
    for (std::size_t i = 0; i < 9; ++i) {
        const std::uint64_t fixed = std::uint64_t{words[2 * i]} | (std::uint64_t{words[2 * i + 1]} << 32);
        const double magnitude = static_cast<double>(fixed & ~(1ull << 63)) / 4294967296.0;
        m[i] = static_cast<float>((fixed >> 63) ? -magnitude : magnitude);
    }
    return m;
}

std::int32_t X11ColorAdjustments::set(const ColorAdjustment& adjustment) {
    if (!adjustment.isWellFormed()) return status::illegalArgument;
    const auto lock = session_->lock();
    const auto o = session_->output(adjustment.display);
    if (!o || !session_->hasCtm(o->id)) return status::illegalArgument;
    const auto words = encodeCtm(adjustment.matrix.value_or(identity));
    std::vector<long> data(words.begin(), words.end());  // format 32 travels as longs
    const X11ErrorTrap errors;
    XRRChangeOutputProperty(session_->display(), o->id, session_->ctmAtom(), XA_INTEGER, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(data.data()), static_cast<int>(data.size()));
    XSync(session_->display(), False);
    return errors.caught() ? status::failure : status::success;
}

std::optional<Matrix3x3> X11ColorAdjustments::current(std::uint32_t display) {
    const auto lock = session_->lock();
    const auto o = session_->output(display);
    if (!o) return std::nullopt;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XRRGetOutputProperty(session_->display(), o->id, session_->ctmAtom(), 0, 18, False, False, AnyPropertyType,
                             &type, &format, &count, &after, &data) != Success ||
        !data)
        return std::nullopt;
    std::vector<std::uint32_t> words;
    if (format == 32) {
        const long* longs = reinterpret_cast<const long*>(static_cast<void*>(data));
        for (unsigned long i = 0; i < count; ++i) words.push_back(static_cast<std::uint32_t>(longs[i]));
    }
    XFree(data);
    if (words.size() < 18) return std::nullopt;
    const Matrix3x3 m = decodeCtm(words);
    if (m == identity) return std::nullopt;
    return m;
}

bool X11ColorAdjustments::isAvailableFor(std::uint32_t display) {
    const auto lock = session_->lock();
    const auto o = session_->output(display);
    return o && session_->hasCtm(o->id);
}

bool X11ColorAdjustments::isAvailable() {
    const auto lock = session_->lock();
    for (const auto& o : session_->outputs())
        if (session_->hasCtm(o.id)) return true;
    return false;
}

}  // namespace orvane::platform::linuxsys
