#pragma once
// A painted line (or a few) of text in one of the kit's colours, resolved per appearance.
#include <optional>
#include <string>

#include <QFont>
#include <QWidget>

#include "ui/kit/NumericTransition.h"
#include "ui/kit/Tokens.h"

namespace orvane::kit {

// A text of the model (UTF-8) as the toolkit's string.
inline QString q(const std::string& s) { return QString::fromStdString(s); }

enum class TextLevel { primary, secondary };

// The caption under a control whose service this computer lacks; the control is disabled.
inline QString unavailableCaption() { return QStringLiteral("Not available on this computer."); }

class Text : public QWidget {
public:
    explicit Text(const QString& text = {}, QFont font = {}, QWidget* parent = nullptr);

    void setText(const QString& text);
    // Changes a one-line text with the numeric transition: the characters that differ roll
    // on the context's animator. The first text of a widget that is not shown yet just appears.
    void rollText(const QString& text, NumericTransition::Direction direction = NumericTransition::Direction::up,
                  Spring spring = NumericTransition::spring);
    const QString& text() const { return text_; }
    const NumericTransition& transition() const { return roll_; }
    void setTextFont(const QFont& font);
    void setLevel(TextLevel level);
    // A colour of its own; the level then only sets its opacity (secondary: 0.5 / 0.55).
    void setColour(std::optional<DynamicColor> colour);
    void setAlignment(Qt::Alignment alignment);
    // More than one line wraps at word boundaries, up to this many; the last line elides.
    void setMaximumLines(int lines);
    void setFixedTextWidth(std::optional<double> width);
    void setOpacity(double opacity);

    QColor resolvedColour() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return maxLines_ > 1; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QFont font_;
    TextLevel level_ = TextLevel::primary;
    std::optional<DynamicColor> colour_;
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignVCenter;
    int maxLines_ = 1;
    std::optional<double> fixedWidth_;
    double opacity_ = 1;
    NumericTransition roll_;
};

}  // namespace orvane::kit
