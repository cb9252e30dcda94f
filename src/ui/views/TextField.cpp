#include "ui/views/TextField.h"

#include <QPainter>

#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/Glass.h"
#include "ui/kit/PaintKit.h"
#include "ui/kit/Tokens.h"

namespace orvane::kit {

TextField::TextField(const QString& placeholder, QWidget* parent) : QLineEdit(parent) {
    setPlaceholderText(placeholder);
    setAccessibleName(placeholder);
    setFont(FontBook::font(TextStyle::body));
    adoptFieldLook(*this);
    connect(this, &QLineEdit::returnPressed, this, [this] { commit(); });
}

TextField::TextField(const QString& placeholder, std::unique_ptr<SettingField<std::string>> field, QWidget* parent)
    : TextField(placeholder, parent) {
    field_ = std::move(field);
    field_->onChange(this, [this](const std::string& value) {
        committed_ = QString::fromStdString(value);
        setText(committed_);
    });
}

void TextField::commit() {
    const QString value = text();
    if (value == committed_) return;
    committed_ = value;
    if (commit_) commit_(value);
    if (field_) {
        field_->set(value.toStdString());
        // The model may have kept another text: show what it holds.
        committed_ = QString::fromStdString(field_->value());
        if (text() != committed_) setText(committed_);
    }
}

QSize TextField::sizeHint() const {
    const QFontMetrics metrics(font());
    return {std::max(120, metrics.horizontalAdvance(placeholderText()) + 24), 26};
}

void TextField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    update();
}

void TextField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    commit();
    update();
}

void paintFieldSurface(QPainter& painter, const QRectF& rect, Appearance appearance, bool focused) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = rect.adjusted(0.5, 0.5, -0.5, -0.5);
    glassSurface(painter, PaintKit::roundedRect(box, 7), appearance);
    if (focused) {
        painter.setPen(QPen(Tokens::ember().resolve(appearance), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(PaintKit::roundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 6.5));
    }
    painter.restore();
}

void applyFieldPalette(QWidget& widget, Appearance appearance) {
    QPalette p = widget.palette();
    p.setColor(QPalette::Text, primaryText(appearance));
    p.setColor(QPalette::PlaceholderText, secondaryText(appearance));
    p.setColor(QPalette::Highlight, Tokens::ember().resolve(appearance));
    p.setColor(QPalette::Base, Qt::transparent);
    if (p != widget.palette()) widget.setPalette(p);
}

void adoptFieldLook(QLineEdit& field) {
    field.setFrame(false);
    field.setAttribute(Qt::WA_TranslucentBackground);
    field.setTextMargins(8, 0, 8, 0);
}

void paintFieldBackground(QLineEdit& field) {
    const Appearance appearance = appearanceOf(&field);
    {
        QPainter painter(&field);
        paintFieldSurface(painter, QRectF(field.rect()), appearance, field.hasFocus());
    }
    // The text, cursor and selection in the kit's colours.
    applyFieldPalette(field, appearance);
}

void TextField::paintEvent(QPaintEvent* event) {
    paintFieldBackground(*this);
    QLineEdit::paintEvent(event);
}

}  // namespace orvane::kit
