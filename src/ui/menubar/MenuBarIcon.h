#pragma once
// The status item's 18 × 18 pt glyph: a moon whose lit part shrinks as the tint warms, a
// badge for a manual hold, a dashed ring while paused and a struck-through ring while off.
// Drawn black on transparent; the tray recolours it for its panel.
#include <optional>
#include <variant>
#include <vector>

#include <QImage>
#include <QRectF>

class QPainter;

namespace orvane {

struct MenuBarIcon {
    MenuBarIcon() = delete;

    // The glyph box in points; its origin is the lower-left corner, y upwards.
    static constexpr double boxSize = 18.0;

    // What the status item shows.
    struct State {
        struct Phase {
            int phase = 0;  // 0 (no warming) ... 8 (warmest)
            bool held = false;
            bool operator==(const Phase&) const = default;
        };
        struct Off {
            bool operator==(const Off&) const = default;
        };
        struct Paused {
            bool operator==(const Paused&) const = default;
        };
        std::variant<Phase, Off, Paused> value;

        static State phase(int phase, bool held) { return {Phase{phase, held}}; }
        static State off() { return {Off{}}; }
        static State paused() { return {Paused{}}; }
        bool operator==(const State&) const = default;
    };

    // What is drawn; a morph passes through in-between moons.
    struct Glyph {
        struct Moon {
            double progress = 0;  // 0 = full disc, 1 = thinnest crescent
            double held = 0;      // opacity of the hold badge
            bool operator==(const Moon&) const = default;
        };
        struct Off {
            bool operator==(const Off&) const = default;
        };
        struct Paused {
            bool operator==(const Paused&) const = default;
        };
        std::variant<Moon, Off, Paused> value;

        static Glyph moon(double progress, double held) { return {Moon{progress, held}}; }
        static Glyph off() { return {Off{}}; }
        static Glyph paused() { return {Paused{}}; }
        bool operator==(const Glyph&) const = default;
    };

    struct Layer {
        Glyph glyph;
        double alpha = 1;
        double scale = 1;
        bool operator==(const Layer&) const = default;
    };

    // The phase 0...8 of a kelvin value; halves round away from zero.
    static int phase(int kelvin);

    static Glyph glyph(const State& state);

    // The layers an image is composed of, in drawing order.
    static std::vector<Layer> layers(const State& state);
    static std::vector<Layer> layers(const Glyph& from, const Glyph& to, double t);

    // The lit part of the moon in box points: the disc moved away from the light, and the
    // shadow disc that is cut out of it (absent while the whole disc is lit).
    struct Lit {
        double fraction = 1;  // of the disc's area
        QRectF disc;
        std::optional<QRectF> shadow;
    };
    static Lit lit(double progress);

    // ARGB32-premultiplied images of the box at `pixelsPerPoint`, black on transparent.
    static QImage image(const State& state, double pixelsPerPoint);
    static QImage image(const Glyph& from, const Glyph& to, double t, double pixelsPerPoint);
    static QImage image(const std::vector<Layer>& layers, double pixelsPerPoint);

    // Draws one glyph with the painter's current transform mapping box points (y up).
    static void draw(const Glyph& glyph, QPainter& painter);
};

}  // namespace orvane
