#include "ui/kit/Dialogs.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "ui/kit/Buttons.h"
#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/Text.h"
#include "ui/kit/Tokens.h"

namespace orvane::kit {

QPalette dialogPalette(Appearance appearance) {
    const bool dark = isDark(appearance);
    const QColor window = windowColor(appearance);
    const QColor text = primaryText(appearance);
    const QColor muted = secondaryText(appearance);
    // Fields and lists a step off the window: darker in light, lighter in dark.
    const QColor base = dark ? window.lighter(125) : QColor(Qt::white);
    const QColor button = dark ? window.lighter(140) : window.darker(104);
    QPalette p;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Window, window);
        p.setColor(group, QPalette::Base, base);
        p.setColor(group, QPalette::AlternateBase, dark ? base.lighter(110) : window);
        p.setColor(group, QPalette::Button, button);
        p.setColor(group, QPalette::Light, button.lighter(130));
        p.setColor(group, QPalette::Midlight, button.lighter(115));
        p.setColor(group, QPalette::Mid, dark ? button.lighter(120) : button.darker(130));
        p.setColor(group, QPalette::Dark, dark ? window.darker(150) : button.darker(160));
        p.setColor(group, QPalette::Shadow, QColor(0, 0, 0, dark ? 160 : 80));
        p.setColor(group, QPalette::Highlight, Tokens::ember().resolve(appearance));
        p.setColor(group, QPalette::HighlightedText, Tokens::onEmber().resolve(appearance));
        p.setColor(group, QPalette::ToolTipBase, base);
        p.setColor(group, QPalette::ToolTipText, text);
        p.setColor(group, QPalette::Link, Tokens::emberText().resolve(appearance));
        p.setColor(group, QPalette::BrightText, dark ? QColor(Qt::white) : QColor(Qt::black));
        const QColor shown = group == QPalette::Disabled ? muted : text;
        p.setColor(group, QPalette::WindowText, shown);
        p.setColor(group, QPalette::Text, shown);
        p.setColor(group, QPalette::ButtonText, shown);
        p.setColor(group, QPalette::PlaceholderText, muted);
    }
    return p;
}

void themeDialog(QWidget& dialog, Appearance appearance) {
    dialog.setPalette(dialogPalette(appearance));
    dialog.setAutoFillBackground(true);
}

ConfirmDialog::ConfirmDialog(const QString& title, const QString& text, const QString& confirm, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(title);
    setModal(true);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 18, 20, 16);
    column->setSpacing(6);
    title_ = new Text(title, FontBook::font(TextStyle::body, QFont::DemiBold), this);
    title_->setMaximumLines(2);
    column->addWidget(title_);
    auto* body = new Text(text, FontBook::font(TextStyle::callout), this);
    body->setLevel(TextLevel::secondary);
    body->setMaximumLines(8);
    column->addWidget(body);
    column->addSpacing(12);
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addStretch(1);
    cancel_ = new SystemButton(QStringLiteral("Cancel"), false, this);
    cancel_->setLarge(true);
    confirm_ = new SystemButton(confirm, true, this);
    confirm_->setLarge(true);
    row->addWidget(cancel_);
    row->addWidget(confirm_);
    column->addLayout(row);
    connect(cancel_, &QAbstractButton::clicked, this, &QDialog::reject);
    connect(confirm_, &QAbstractButton::clicked, this, &QDialog::accept);
    // As tall as the wrapped explanation needs at its width.
    constexpr int width = 400;
    column->activate();
    setFixedSize(width, column->hasHeightForWidth() ? column->totalHeightForWidth(width) : sizeHint().height());
    themeDialog(*this, appearanceOf(this));
}

void ConfirmDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), windowColor(appearanceOf(this)));
}

void ConfirmDialog::keyPressEvent(QKeyEvent* event) {
    // Return confirms wherever the focus is; Tab and Space work the buttons themselves.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace orvane::kit
