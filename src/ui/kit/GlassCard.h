#pragma once
// A rounded glass panel that holds other widgets: the popover's sections and the settings
// panes' groups. Its padding is its layout's margins.
#include <optional>

#include <QWidget>

#include "ui/kit/Tokens.h"

namespace orvane::kit {

class GlassCard : public QWidget {
public:
    explicit GlassCard(double cornerRadius = 20, QWidget* parent = nullptr);
    void setTint(std::optional<DynamicColor> tint);
    const std::optional<DynamicColor>& tint() const { return tint_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double cornerRadius_;
    std::optional<DynamicColor> tint_;
};

}  // namespace orvane::kit
