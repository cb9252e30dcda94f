#include "ui/kit/Symbols.h"

#include <cmath>
#include <map>
#include <numbers>

#include <QPainterPathStroker>

namespace orvane::kit::Symbols {
namespace {

constexpr double pi = std::numbers::pi;

QPainterPath stroked(const QPainterPath& line, double width, Qt::PenCapStyle cap = Qt::RoundCap) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(cap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(line).simplified();
}

QPainterPath circle(QPointF c, double r) {
    QPainterPath p;
    p.addEllipse(c, r, r);
    return p;
}

QPainterPath rect(const QRectF& r, double radius) {
    QPainterPath p;
    p.addRoundedRect(r, radius, radius);
    return p;
}

QPainterPath line(QPointF a, QPointF b) {
    QPainterPath p(a);
    p.lineTo(b);
    return p;
}

QPainterPath polyline(std::initializer_list<QPointF> points) {
    QPainterPath p;
    bool first = true;
    for (const QPointF& q : points) {
        if (first) p.moveTo(q);
        else p.lineTo(q);
        first = false;
    }
    return p;
}

QPainterPath join(std::initializer_list<QPainterPath> parts) {
    QPainterPath out;
    out.setFillRule(Qt::WindingFill);
    for (const auto& part : parts) out = out.united(part);
    return out;
}

// Rays around a centre, from radius r0 to r1.
QPainterPath rays(QPointF c, int count, double r0, double r1, double width, double startAngle = 0,
                  double sweep = 2 * pi) {
    QPainterPath lines;
    const bool full = std::abs(sweep - 2 * pi) < 1e-9;
    for (int i = 0; i < count; ++i) {
        const double a = startAngle + sweep * i / (full ? count : std::max(1, count - 1));
        lines.addPath(line(c + QPointF(std::cos(a), std::sin(a)) * r0, c + QPointF(std::cos(a), std::sin(a)) * r1));
    }
    return stroked(lines, width);
}

// A padlock's shackle: two legs from `bottom` joined by a half circle between x0 and x1
// whose box starts at `top`.
QPainterPath shackle(double x0, double x1, double bottom, double top) {
    const double d = x1 - x0;
    QPainterPath path;
    path.moveTo(x0, bottom);
    path.lineTo(x0, top + d / 2);
    path.arcTo(QRectF(x0, top, d, d), 180, -180);
    path.lineTo(x1, bottom);
    return path;
}

QPainterPath flameOutline() {
    QPainterPath p(QPointF(12, 2));
    p.cubicTo(13.2, 6.2, 18.5, 8.6, 18.5, 14.2);
    p.cubicTo(18.5, 18.8, 15.6, 22, 12, 22);
    p.cubicTo(8.4, 22, 5.5, 18.8, 5.5, 14.8);
    p.cubicTo(5.5, 11.6, 7.2, 9.6, 8.8, 8.0);
    p.cubicTo(8.8, 10.6, 9.8, 12.2, 11.0, 12.8);
    p.cubicTo(10.4, 9.2, 10.8, 5.2, 12, 2);
    p.closeSubpath();
    return p;
}

QPainterPath innerFlame() {
    QPainterPath p(QPointF(12, 13));
    p.cubicTo(13.5, 15, 15, 16.2, 15, 18.2);
    p.cubicTo(15, 19.9, 13.7, 21, 12, 21);
    p.cubicTo(10.3, 21, 9, 19.9, 9, 18.2);
    p.cubicTo(9, 16.2, 10.5, 15, 12, 13);
    p.closeSubpath();
    return p;
}

QPainterPath crescent(QPointF c, double r, QPointF bite, double biteRadius) {
    return circle(c, r).subtracted(circle(bite, biteRadius));
}

QPainterPath zShape(QPointF topLeft, double s, double width) {
    return stroked(polyline({topLeft, topLeft + QPointF(s, 0), topLeft + QPointF(0, s), topLeft + QPointF(s, s)}),
                   width);
}

QPainterPath hand() {
    // Palm and four raised fingers, the thumb to the left.
    QPainterPath fingers;
    fingers.addRoundedRect(QRectF(7.2, 4.2, 2.6, 10), 1.3, 1.3);
    fingers.addRoundedRect(QRectF(10.2, 2.6, 2.6, 11), 1.3, 1.3);
    fingers.addRoundedRect(QRectF(13.2, 3.4, 2.6, 10.5), 1.3, 1.3);
    fingers.addRoundedRect(QRectF(16.2, 5.6, 2.6, 9), 1.3, 1.3);
    QPainterPath palm;
    palm.moveTo(7.2, 11);
    palm.lineTo(18.8, 11);
    palm.lineTo(18.8, 15.5);
    palm.cubicTo(18.8, 19.5, 16, 22, 12.6, 22);
    palm.cubicTo(10, 22, 8.6, 21, 7.2, 19.2);
    palm.lineTo(3.6, 14.2);
    palm.cubicTo(2.8, 13.1, 3.4, 11.7, 4.6, 11.8);
    palm.cubicTo(5.4, 11.9, 6.2, 12.6, 7.2, 13.8);
    palm.closeSubpath();
    return join({fingers, palm});
}

QPainterPath scaledAbout(const QPainterPath& p, QPointF c, double s) {
    QTransform t;
    t.translate(c.x(), c.y());
    t.scale(s, s);
    t.translate(-c.x(), -c.y());
    return t.map(p);
}

QPainterPath gear() {
    QPainterPath teeth;
    const QPointF c(12, 12);
    for (int i = 0; i < 8; ++i) {
        QTransform t;
        t.translate(12, 12);
        t.rotate(45.0 * i);
        teeth.addPath(t.map(rect(QRectF(-1.9, -10, 3.8, 5), 1)));
    }
    return join({circle(c, 7.4), teeth}).subtracted(circle(c, 3.2));
}

std::map<std::string, Glyph, std::less<>>& table() {
    static std::map<std::string, Glyph, std::less<>> glyphs = [] {
        std::map<std::string, Glyph, std::less<>> g;
        const QPointF c(12, 12);
        g["flame"] = [](double w) { return stroked(flameOutline(), w); };
        g["flame.fill"] = [](double) { return flameOutline().subtracted(innerFlame()); };
        g["sun.max"] = [c](double w) { return join({stroked(circle(c, 4.2), w), rays(c, 8, 7.2, 10.2, w)}); };
        g["sun.max.fill"] = [c](double w) { return join({circle(c, 5), rays(c, 8, 7.6, 10.4, w)}); };
        g["sun.haze.fill"] = [](double w) {
            const QPointF s(12, 10.2);
            QPainterPath haze;
            haze.addPath(line({4, 17}, {20, 17}));
            haze.addPath(line({6, 20.5}, {18, 20.5}));
            return join({circle(s, 4), rays(s, 5, 6.2, 8.4, w, pi, pi), stroked(haze, w)})
                .subtracted(stroked(line({2, 14.2}, {22, 14.2}), w * 0.9, Qt::FlatCap));
        };
        g["sun.horizon"] = [](double w) {
            QPainterPath half;
            half.arcMoveTo(QRectF(7, 11, 10, 10), 0);
            half.arcTo(QRectF(7, 11, 10, 10), 0, 180);
            return join(
                {stroked(half, w), rays({12, 16}, 5, 7.5, 10, w, pi, pi), stroked(line({2.5, 16}, {21.5, 16}), w)});
        };
        g["sunset"] = [](double w) {
            QPainterPath half;
            half.arcMoveTo(QRectF(7.5, 7.5, 9, 9), 0);
            half.arcTo(QRectF(7.5, 7.5, 9, 9), 0, 180);
            QPainterPath arrow = polyline({{9.5, 17.5}, {12, 20}, {14.5, 17.5}});
            arrow.addPath(line({12, 15}, {12, 20}));
            return join({stroked(half, w), rays({12, 12}, 3, 6.8, 9, w, pi * 1.25, pi * 0.5),
                         stroked(line({2.5, 12}, {21.5, 12}), w), stroked(arrow, w)});
        };
        g["scope"] = [c](double w) {
            QPainterPath cross;
            cross.addPath(line({12, 1.5}, {12, 7}));
            cross.addPath(line({12, 17}, {12, 22.5}));
            cross.addPath(line({1.5, 12}, {7, 12}));
            cross.addPath(line({17, 12}, {22.5, 12}));
            return join({stroked(circle(c, 8), w), stroked(cross, w), circle(c, 1.6)});
        };
        g["moon.fill"] = [](double) { return crescent({12, 12}, 9, {16.5, 8}, 7.5); };
        g["moon.zzz.fill"] = [](double w) {
            return join({crescent({10, 14}, 7.5, {13.8, 10.6}, 6.2), zShape({15.5, 2.5}, 4, w * 0.8),
                         zShape({19.5, 8}, 2.8, w * 0.7)});
        };
        g["light.max"] = [c](double w) { return join({stroked(circle(c, 3.2), w), rays(c, 12, 6, 10.5, w * 0.8)}); };
        g["lock.shield"] = [](double w) {
            QPainterPath shield(QPointF(12, 2));
            shield.cubicTo(14.5, 3.8, 17.5, 4.6, 20, 4.8);
            shield.lineTo(20, 11);
            shield.cubicTo(20, 16.5, 16.5, 20.2, 12, 22);
            shield.cubicTo(7.5, 20.2, 4, 16.5, 4, 11);
            shield.lineTo(4, 4.8);
            shield.cubicTo(6.5, 4.6, 9.5, 3.8, 12, 2);
            shield.closeSubpath();
            return join({stroked(shield, w), rect(QRectF(8.8, 11.2, 6.4, 5.2), 1),
                         stroked(shackle(10, 14, 11.5, 7.8), w * 0.8)});
        };
        g["hand.raised.fill"] = [](double) { return hand(); };
        g["hand.raised.circle.fill"] = [c](double) {
            return circle(c, 11).subtracted(scaledAbout(hand(), QPointF(11.4, 12.6), 0.62));
        };
        g["hand.draw.fill"] = [](double w) {
            QPainterPath pencil;
            pencil.moveTo(17.5, 2.5);
            pencil.lineTo(21.5, 6.5);
            pencil.lineTo(11, 17);
            pencil.lineTo(6, 18);
            pencil.lineTo(7, 13);
            pencil.closeSubpath();
            QPainterPath squiggle(QPointF(2, 21.5));
            squiggle.cubicTo(5, 18.5, 7, 23.5, 10, 21);
            squiggle.cubicTo(12, 19.5, 13, 21.5, 15, 21.5);
            return join({pencil.subtracted(stroked(line({15.6, 4.4}, {19.6, 8.4}), w * 0.7, Qt::FlatCap)),
                         stroked(squiggle, w)});
        };
        g["exclamationmark.triangle.fill"] = [](double w) {
            QPainterPath tri = polyline({{12, 3}, {21.5, 20}, {2.5, 20}});
            tri.closeSubpath();
            const QPainterPath body = join({tri, stroked(tri, w * 1.2)});
            return body.subtracted(join({stroked(line({12, 8.8}, {12, 13.6}), w * 1.05), circle({12, 16.8}, w * 0.6)}));
        };
        g["xmark"] = [](double w) {
            QPainterPath x = line({6, 6}, {18, 18});
            x.addPath(line({18, 6}, {6, 18}));
            return stroked(x, w * 1.1);
        };
        g["checkmark"] = [](double w) { return stroked(polyline({{4.5, 12.5}, {9.5, 17.5}, {19.5, 6.5}}), w * 1.1); };
        g["clock.fill"] = [c](double w) {
            return circle(c, 10).subtracted(stroked(polyline({{12, 6}, {12, 12}, {16, 14.5}}), w));
        };
        g["app.dashed"] = [](double w) {
            QPainterPath out;
            QPainterPathStroker stroker;
            stroker.setWidth(w * 0.85);
            stroker.setCapStyle(Qt::FlatCap);
            stroker.setDashPattern({2.0, 1.6});
            return stroker.createStroke(rect(QRectF(3, 3, 18, 18), 5)).simplified();
        };
        g["nosign"] = [c](double w) {
            return join({stroked(circle(c, 8.5), w), stroked(line({6, 6}, {18, 18}), w, Qt::FlatCap)})
                .intersected(circle(c, 8.5 + w / 2));
        };
        g["cpu"] = [](double w) {
            QPainterPath pins;
            for (const double t : {8.5, 12.0, 15.5}) {
                pins.addPath(line({t, 2}, {t, 5}));
                pins.addPath(line({t, 19}, {t, 22}));
                pins.addPath(line({2, t}, {5, t}));
                pins.addPath(line({19, t}, {22, t}));
            }
            return join(
                {stroked(rect(QRectF(5, 5, 14, 14), 2.5), w), rect(QRectF(9, 9, 6, 6), 1), stroked(pins, w * 0.8)});
        };
        g["chevron.down"] = [](double w) { return stroked(polyline({{5, 9}, {12, 16}, {19, 9}}), w * 1.1); };
        g["chevron.up"] = [](double w) { return stroked(polyline({{5, 15}, {12, 8}, {19, 15}}), w * 1.1); };
        g["chevron.up.chevron.down"] = [](double w) {
            QPainterPath both = polyline({{7, 9.5}, {12, 4.5}, {17, 9.5}});
            both.addPath(polyline({{7, 14.5}, {12, 19.5}, {17, 14.5}}));
            return stroked(both, w * 1.1);
        };
        g["gearshape.fill"] = [](double) { return gear(); };
        g["power"] = [](double w) {
            QPainterPath arc;
            arc.arcMoveTo(QRectF(4, 4.5, 16, 16), 55);
            arc.arcTo(QRectF(4, 4.5, 16, 16), 55, -290);
            return join({stroked(arc, w), stroked(line({12, 2.5}, {12, 11}), w)});
        };
        g["eye"] = [](double w) {
            QPainterPath lid(QPointF(2, 12));
            lid.cubicTo(5.5, 6, 18.5, 6, 22, 12);
            lid.cubicTo(18.5, 18, 5.5, 18, 2, 12);
            lid.closeSubpath();
            return join({stroked(lid, w), circle({12, 12}, 3.4)});
        };
        g["square.grid.3x3.square"] = [](double w) {
            QPainterPath grid;
            for (const double t : {9.0, 15.0}) {
                grid.addPath(line({t, 3}, {t, 21}));
                grid.addPath(line({3, t}, {21, t}));
            }
            return join({stroked(rect(QRectF(3, 3, 18, 18), 4), w), stroked(grid, w * 0.7, Qt::FlatCap)})
                .intersected(rect(QRectF(3 - w, 3 - w, 18 + 2 * w, 18 + 2 * w), 4 + w));
        };
        g["bed.double.fill"] = [](double) {
            return join({rect(QRectF(2, 4, 3, 17), 1.2), rect(QRectF(2, 13, 20, 5), 1.2),
                         rect(QRectF(19, 16, 3, 5), 1.2), rect(QRectF(6, 9, 6.5, 3.4), 1.7),
                         rect(QRectF(13.5, 9, 6.5, 3.4), 1.7), rect(QRectF(5, 12, 17, 2), 0.8)});
        };
        // The settings window, its panes, the preset icons and the first-run window.
        g["gearshape"] = [c](double w) {
            QPainterPath teeth;
            for (int i = 0; i < 8; ++i) {
                QTransform t;
                t.translate(12, 12);
                t.rotate(45.0 * i);
                teeth.addPath(t.map(rect(QRectF(-1.7, -9.6, 3.4, 4.4), 0.9)));
            }
            return join({stroked(join({circle(c, 7), teeth}), w * 0.85), stroked(circle(c, 2.8), w * 0.85)});
        };
        g["clock"] = [c](double w) {
            return join({stroked(circle(c, 9.5), w), stroked(polyline({{12, 6.5}, {12, 12}, {15.5, 14}}), w)});
        };
        g["display"] = [](double w) {
            QPainterPath stand = line({12, 17}, {12, 20.2});
            stand.addPath(line({8, 20.5}, {16, 20.5}));
            return join({stroked(rect(QRectF(2.5, 3.5, 19, 13.5), 2), w), stroked(stand, w)});
        };
        g["laptopcomputer"] = [](double w) {
            return join({stroked(rect(QRectF(4.5, 5, 15, 10.5), 1.5), w), rect(QRectF(1.5, 16.6, 21, 2.6), 1.2)});
        };
        g["command"] = [](double w) {
            QPainterPath p;
            for (const double x : {9.0, 15.0}) p.addPath(line({x, 6.5}, {x, 17.5}));
            for (const double y : {9.0, 15.0}) p.addPath(line({6.5, y}, {17.5, y}));
            for (const QPointF& at : {QPointF(6.5, 6.5), QPointF(17.5, 6.5), QPointF(6.5, 17.5), QPointF(17.5, 17.5)})
                p.addPath(circle(at, 2.5));
            return stroked(p, w * 0.9);
        };
        g["keyboard"] = [](double w) {
            // The body, two rows of keys and the space bar.
            QPainterPath keys;
            for (const double y : {9.6, 12.6})
                for (const double x : {6.0, 9.0, 12.0, 15.0, 18.0})
                    keys.addPath(rect(QRectF(x - 0.9, y - 0.9, 1.8, 1.8), 0.4));
            return join({stroked(rect(QRectF(2.5, 6, 19, 12.5), 2.2), w * 0.9), keys,
                         stroked(line({8.5, 15.6}, {15.5, 15.6}), w * 1.1)});
        };
        g["wrench.and.screwdriver"] = [](double w) {
            // The wrench from top left to bottom right, its open jaw at the top; the
            // screwdriver across it, handle at the bottom left.
            const QPainterPath jaw =
                circle({6.5, 6.5}, 4.2).subtracted(rect(QRectF(2.2, 2.2, 3.6, 3.6).translated(-0.6, -0.6), 0.6));
            const QPainterPath wrench = join({jaw, stroked(line({8.5, 8.5}, {19.5, 19.5}), w * 1.5)});
            const QPainterPath shaft = stroked(line({12, 12}, {19, 5}), w * 0.9);
            QPainterPath handle = stroked(line({4.5, 19.5}, {9.5, 14.5}), w * 2.1);
            return join({wrench.subtracted(stroked(line({5.5, 18.5}, {19.5, 4.5}), w * 2.2)), shaft, handle,
                         circle({19.6, 4.4}, w * 0.55)});
        };
        g["chart.bar"] = [](double w) {
            return join({stroked(rect(QRectF(3.5, 12.5, 4.4, 8), 1), w * 0.85),
                         stroked(rect(QRectF(9.8, 7.5, 4.4, 13), 1), w * 0.85),
                         stroked(rect(QRectF(16.1, 3.5, 4.4, 17), 1), w * 0.85)});
        };
        g["chart.bar.fill"] = [](double) {
            return join({rect(QRectF(3, 12, 5.4, 9), 1.2), rect(QRectF(9.3, 7, 5.4, 14), 1.2),
                         rect(QRectF(15.6, 3, 5.4, 18), 1.2)});
        };
        const auto infoMark = [](double w) {
            return join({circle({12, 7.4}, w * 0.75), stroked(line({12, 10.8}, {12, 17}), w * 1.05)});
        };
        g["info.circle"] = [c, infoMark](double w) { return join({stroked(circle(c, 9.5), w), infoMark(w)}); };
        g["info.circle.fill"] = [c, infoMark](double w) { return circle(c, 10.5).subtracted(infoMark(w)); };
        g["eye.fill"] = [](double) {
            QPainterPath lid(QPointF(1.5, 12));
            lid.cubicTo(5.3, 5.3, 18.7, 5.3, 22.5, 12);
            lid.cubicTo(18.7, 18.7, 5.3, 18.7, 1.5, 12);
            lid.closeSubpath();
            return join({lid.subtracted(circle({12, 12}, 4.4)), circle({12, 12}, 2.9)});
        };
        g["plus"] = [](double w) {
            QPainterPath p = line({12, 4.5}, {12, 19.5});
            p.addPath(line({4.5, 12}, {19.5, 12}));
            return stroked(p, w * 1.1);
        };
        g["minus"] = [](double w) { return stroked(line({4.5, 12}, {19.5, 12}), w * 1.1); };
        g["chevron.right"] = [](double w) { return stroked(polyline({{9, 5}, {16, 12}, {9, 19}}), w * 1.1); };
        g["xmark.circle.fill"] = [c](double w) {
            QPainterPath x = line({8.5, 8.5}, {15.5, 15.5});
            x.addPath(line({15.5, 8.5}, {8.5, 15.5}));
            return circle(c, 10.5).subtracted(stroked(x, w * 0.95));
        };
        g["minus.circle.fill"] = [c](double w) {
            return circle(c, 10.5).subtracted(stroked(line({7, 12}, {17, 12}), w * 1.05));
        };
        g["lightbulb.fill"] = [](double) {
            QPainterPath neck;
            neck.moveTo(7.6, 13.5);
            neck.lineTo(16.4, 13.5);
            neck.lineTo(15.2, 16.6);
            neck.lineTo(8.8, 16.6);
            neck.closeSubpath();
            return join({circle({12, 9}, 6.6), neck, rect(QRectF(8.8, 17.6, 6.4, 1.7), 0.8),
                         rect(QRectF(9.8, 20.2, 4.4, 1.7), 0.8)});
        };
        g["location.fill"] = [](double) {
            QPainterPath arrow(QPointF(20.5, 3.5));
            arrow.lineTo(3.5, 11);
            arrow.lineTo(11.2, 12.8);
            arrow.lineTo(13, 20.5);
            arrow.closeSubpath();
            return arrow;
        };
        g["alarm.fill"] = [](double w) {
            const QPointF face(12, 13);
            QPainterPath bells;
            bells.addPath(circle({5.2, 5.2}, 3).subtracted(circle(face, 9.3)));
            bells.addPath(circle({18.8, 5.2}, 3).subtracted(circle(face, 9.3)));
            QPainterPath legs = line({6.5, 19}, {4.8, 21});
            legs.addPath(line({17.5, 19}, {19.2, 21}));
            return join({circle(face, 8), bells, stroked(legs, w)})
                .subtracted(stroked(polyline({{12, 8.5}, {12, 13}, {15, 15}}), w * 0.9));
        };
        g["lock.fill"] = [](double w) {
            return join({rect(QRectF(5, 10.5, 14, 10.5), 2.2), stroked(shackle(8, 16, 11, 3.5), w * 1.05)});
        };
        g["lock.shield.fill"] = [](double w) {
            QPainterPath shield(QPointF(12, 1.5));
            shield.cubicTo(14.6, 3.4, 17.8, 4.2, 20.5, 4.4);
            shield.lineTo(20.5, 11);
            shield.cubicTo(20.5, 16.8, 16.8, 20.6, 12, 22.5);
            shield.cubicTo(7.2, 20.6, 3.5, 16.8, 3.5, 11);
            shield.lineTo(3.5, 4.4);
            shield.cubicTo(6.2, 4.2, 9.4, 3.4, 12, 1.5);
            shield.closeSubpath();
            return shield.subtracted(
                join({rect(QRectF(8.6, 11, 6.8, 5.6), 1), stroked(shackle(10, 14, 11.5, 7.8), w * 0.8)}));
        };
        g["arrow.right"] = [](double w) {
            QPainterPath p = line({4, 12}, {19.5, 12});
            p.addPath(polyline({{13, 5.5}, {19.5, 12}, {13, 18.5}}));
            return stroked(p, w * 1.1);
        };
        g["star.fill"] = [](double) {
            QPainterPath star;
            for (int i = 0; i < 10; ++i) {
                const double r = i % 2 == 0 ? 10.5 : 4.4;
                const double a = -pi / 2 + i * pi / 5;
                const QPointF p(12 + r * std::cos(a), 12.8 + r * std::sin(a));
                if (i == 0) star.moveTo(p);
                else star.lineTo(p);
            }
            star.closeSubpath();
            return star;
        };
        g["book.fill"] = [](double) {
            QPainterPath left(QPointF(1.5, 4.5));
            left.cubicTo(5, 4, 8.5, 4.6, 11.2, 6.2);
            left.lineTo(11.2, 20.5);
            left.cubicTo(8.5, 19, 5, 18.5, 1.5, 19);
            left.closeSubpath();
            QPainterPath right(QPointF(22.5, 4.5));
            right.cubicTo(19, 4, 15.5, 4.6, 12.8, 6.2);
            right.lineTo(12.8, 20.5);
            right.cubicTo(15.5, 19, 19, 18.5, 22.5, 19);
            right.closeSubpath();
            return join({left, right});
        };
        g["tv.fill"] = [](double w) {
            return join({rect(QRectF(1.5, 3.5, 21, 14), 2.5), stroked(line({7.5, 20.5}, {16.5, 20.5}), w)});
        };
        g["gamecontroller.fill"] = [](double w) {
            QPainterPath body(QPointF(7, 6.5));
            body.lineTo(17, 6.5);
            body.cubicTo(20.5, 6.5, 22.5, 10, 22.8, 14);
            body.cubicTo(23.1, 18, 21.5, 19.5, 19.8, 19.5);
            body.cubicTo(17.8, 19.5, 16.6, 16.5, 15, 16.5);
            body.lineTo(9, 16.5);
            body.cubicTo(7.4, 16.5, 6.2, 19.5, 4.2, 19.5);
            body.cubicTo(2.5, 19.5, 0.9, 18, 1.2, 14);
            body.cubicTo(1.5, 10, 3.5, 6.5, 7, 6.5);
            body.closeSubpath();
            QPainterPath pad = line({4.8, 11.5}, {9.2, 11.5});
            pad.addPath(line({7, 9.3}, {7, 13.7}));
            return body.subtracted(
                join({stroked(pad, w * 0.85, Qt::FlatCap), circle({16, 10.6}, 1.2), circle({18.2, 12.8}, 1.2)}));
        };
        g["leaf.fill"] = [](double w) {
            QPainterPath leaf(QPointF(5, 19));
            leaf.cubicTo(2.5, 10.5, 9, 3.2, 20.5, 3.5);
            leaf.cubicTo(21.5, 14.5, 14.5, 21, 5, 19);
            leaf.closeSubpath();
            return join({leaf.subtracted(stroked(line({8, 16}, {16.5, 7.5}), w * 0.7)),
                         stroked(line({2.8, 21.2}, {7, 17}), w)});
        };
        return g;
    }();
    return glyphs;
}

// Three dots in a ring: reads as "some symbol" without pretending to be one.
QPainterPath placeholder(double w) {
    return join(
        {stroked(circle({12, 12}, 9), w), circle({7.5, 12}, 1.5), circle({12, 12}, 1.5), circle({16.5, 12}, 1.5)});
}

double strokeFor(QFont::Weight weight) {
    const int v = static_cast<int>(weight);
    // Regular 400 → 1.7, semibold 600 → 2.1, bold 700 → 2.3 units of 24.
    return 0.9 + v * 0.002;
}

}  // namespace

bool has(std::string_view name) { return table().find(name) != table().end(); }

std::vector<std::string> names() {
    std::vector<std::string> out;
    for (const auto& [name, glyph] : table()) out.push_back(name);
    return out;
}

void add(std::string name, Glyph glyph) { table()[std::move(name)] = std::move(glyph); }

QPainterPath path(std::string_view name, const QRectF& box, QFont::Weight weight) {
    const double stroke = strokeFor(weight);
    const auto it = table().find(name);
    QPainterPath glyph = it != table().end() ? it->second(stroke) : placeholder(stroke);
    const double side = std::min(box.width(), box.height());
    QTransform t;
    t.translate(box.center().x() - side / 2, box.center().y() - side / 2);
    t.scale(side / 24.0, side / 24.0);
    return t.map(glyph);
}

void draw(QPainter& painter, std::string_view name, const QRectF& box, const QColor& colour, QFont::Weight weight) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(path(name, box, weight), colour);
    painter.restore();
}

void drawCentred(QPainter& painter, std::string_view name, QPointF centre, double size, const QColor& colour,
                 QFont::Weight weight) {
    draw(painter, name, QRectF(centre.x() - size / 2, centre.y() - size / 2, size, size), colour, weight);
}

}  // namespace orvane::kit::Symbols
