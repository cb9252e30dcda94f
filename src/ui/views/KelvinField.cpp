#include "ui/views/KelvinField.h"

#include <limits>

#include "ui/kit/FontBook.h"
#include "ui/views/TextField.h"

namespace orvane {

KelvinField::KelvinField(std::shared_ptr<AppModel> model, QWidget* parent)
    : QLineEdit(parent),
      shownKelvin_(model->resolution().modeState.kelvin),
      model_(std::move(model), [this](AppModel::Property p) {
          if (p == AppModel::Property::resolution) follow();
      }) {
    setFixedWidth(72);
    setAlignment(Qt::AlignRight);
    setFont(kit::FontBook::font(kit::TextStyle::body));
    kit::adoptFieldLook(*this);
    setToolTip(QStringLiteral("Type a value from 500 to 6500"));
    setAccessibleName(QStringLiteral("Kelvin"));
    setText(QString::number(shownKelvin_));
    connect(this, &QLineEdit::returnPressed, this, [this] { submit(); });
}

std::optional<std::int64_t> KelvinField::parse(const QString& text) {
    std::int64_t n = 0;
    bool any = false;
    for (const QChar c : text) {
        if (!c.isNumber()) continue;
        const int d = c.digitValue();
        if (d < 0) return std::nullopt;  // a numeric character that is no decimal digit
        any = true;
        if (n > (std::numeric_limits<std::int64_t>::max() - d) / 10) return std::nullopt;
        n = n * 10 + d;
    }
    if (!any) return std::nullopt;
    return n;
}

void KelvinField::submit() {
    AppModel& m = model_.model();
    if (const auto n = parse(text())) m.setWarmth(*n, std::nullopt);
    // Whatever was typed, the field shows what is applied: a value the model clamped or
    // rounded back to the kelvin already in force would otherwise stay on screen.
    shownKelvin_ = m.resolution().modeState.kelvin;
    setText(QString::number(shownKelvin_));
}

void KelvinField::paintEvent(QPaintEvent* event) {
    kit::paintFieldBackground(*this);
    QLineEdit::paintEvent(event);
}

// The focus ring comes and goes with the focus.
void KelvinField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    update();
}

void KelvinField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    update();
}

void KelvinField::follow() {
    const auto k = model_.model().resolution().modeState.kelvin;
    if (k == shownKelvin_) return;
    shownKelvin_ = k;
    setText(QString::number(k));
}

}  // namespace orvane
