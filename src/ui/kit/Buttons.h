#pragma once
// The kit's buttons: glass buttons in a shape that react to hover and press, plain
// pressable buttons that only react to press, bordered text buttons, and the round glass
// icon button. Labels are painted by a function, so any content can sit in any of them.
#include <functional>
#include <optional>
#include <string>

#include <QAbstractButton>

#include "ui/kit/Animator.h"
#include "ui/kit/Appearance.h"
#include "ui/kit/PointerHover.h"
#include "ui/kit/Tokens.h"

namespace orvane::kit {

// What press and hover do to a glass button: pressed wins over hovering.
struct GlassButtonLook {
    double overlayOpacity;  // primary colour over the glass
    double scale;
};
GlassButtonLook glassButtonLook(bool pressed, bool hovering);

struct PressableLook {
    double opacity;
    double scale;
};
PressableLook pressableLook(bool pressed);

enum class ButtonShape { circle, capsule, roundedRect };

// Paints a label into `rect` (the button's unscaled content box).
using LabelPainter = std::function<void(QPainter&, const QRectF& rect, Appearance)>;

class GlassShapeButton : public QAbstractButton {
public:
    // Room around the shape for the hover swell.
    static constexpr int bleed = 2;

    explicit GlassShapeButton(QWidget* parent = nullptr);
    ~GlassShapeButton() override;

    void setShape(ButtonShape shape, double cornerRadius = 0);
    void setTint(std::optional<DynamicColor> tint);
    void setLabelPainter(LabelPainter painter);
    void setContentSize(QSizeF size);
    // A widget as the label (a tile's label, for one), laid out inside the shape; clicks on
    // it go to the button. The button owns it.
    void setContent(QWidget* content);
    QWidget* content() const { return content_; }

    QPainterPath shapePath() const;  // in widget coordinates, unscaled
    bool hovering() const { return hovering_; }
    GlassButtonLook look() const { return glassButtonLook(isDown(), hovering_); }

    QSize sizeHint() const override;

protected:
    bool hitButton(const QPoint& pos) const override;
    void paintEvent(QPaintEvent* event) override;

private:
    void follow(bool pressChanged);

    ButtonShape shape_ = ButtonShape::capsule;
    double cornerRadius_ = 0;
    std::optional<DynamicColor> tint_;
    LabelPainter label_;
    QSizeF contentSize_{28, 28};
    QWidget* content_ = nullptr;
    bool hovering_ = false;
    AnimatedValue overlay_{0};
    AnimatedValue scale_{1};
    PointerHover hover_;  // last: its exit arrives while the button is whole
};

class PressableButton : public QAbstractButton {
public:
    explicit PressableButton(QWidget* parent = nullptr);
    void setLabelPainter(LabelPainter painter);
    void setContentSize(QSizeF size);
    QSize sizeHint() const override;
    PressableLook look() const { return pressableLook(isDown()); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LabelPainter label_;
    QSizeF contentSize_{20, 20};
    AnimatedValue opacity_{1};
    AnimatedValue scale_{1};
};

// A bordered text button; prominent ones are filled with the accent colour.
class SystemButton : public QAbstractButton {
public:
    explicit SystemButton(const QString& title, bool prominent = false, QWidget* parent = nullptr);
    void setProminent(bool prominent);
    bool prominent() const { return prominent_; }
    // A button that destroys something: its title in the warm red.
    void setDestructive(bool destructive);
    bool destructive() const { return destructive_; }
    // A symbol before the title (or alone, without one), in the title's colour.
    void setSymbol(std::string symbol);
    const std::string& symbol() const { return symbol_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double symbolSize() const;
    double contentWidth() const;

    bool prominent_;
    bool destructive_ = false;
    std::string symbol_;
};

// The bordered or the prominent look on a text button.
inline void systemButton(SystemButton& button, bool prominent) { button.setProminent(prominent); }

// A round glass button with a symbol of 0.42 × its diameter; `help` is its tooltip and
// accessible name.
class GlassIconButton : public GlassShapeButton {
public:
    GlassIconButton(std::string symbol, const QString& help, double size, std::optional<DynamicColor> tint = {},
                    std::function<void()> action = {}, QWidget* parent = nullptr);
    double symbolSize() const { return 0.42 * size_; }
    const std::string& symbol() const { return symbol_; }
    void setSymbol(std::string symbol);

private:
    std::string symbol_;
    double size_;
};

}  // namespace orvane::kit
