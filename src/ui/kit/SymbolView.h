#pragma once
// One symbol as a widget, in a text level or a colour of its own.
#include <optional>
#include <string>

#include <QWidget>

#include "ui/kit/Text.h"
#include "ui/kit/Tokens.h"

namespace orvane::kit {

class SymbolView : public QWidget {
public:
    SymbolView(std::string symbol, double size, QWidget* parent = nullptr);
    void setSymbol(std::string symbol);
    void setLevel(TextLevel level);
    void setColour(std::optional<DynamicColor> colour);
    void setWeight(QFont::Weight weight);
    const std::string& symbol() const { return symbol_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string symbol_;
    double size_;
    TextLevel level_ = TextLevel::primary;
    std::optional<DynamicColor> colour_;
    QFont::Weight weight_ = QFont::DemiBold;
};

}  // namespace orvane::kit
