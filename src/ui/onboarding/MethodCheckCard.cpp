#include "ui/onboarding/MethodCheckCard.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "ui/kit/Buttons.h"
#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/Panel.h"
#include "ui/kit/Text.h"
#include "ui/kit/Tokens.h"

namespace orvane {

namespace {

// The large control size of the two answers.
void makeLarge(kit::SystemButton& button) {
    button.setFont(kit::FontBook::font(kit::TextStyle::body, QFont::Medium));
    const QSize hint = button.sizeHint();
    button.setFixedSize(hint.width() + 16, 30);
}

}  // namespace

QString MethodCheckCard::question() { return QStringLiteral("Is this screen red now?"); }

QString MethodCheckCard::subtitle(const std::string& displayName, TintMethod method) {
    return subtitle(displayName, std::string(title(method)));
}

QString MethodCheckCard::subtitle(const std::string& displayName, const std::string& methodTitle) {
    return QString::fromStdString(displayName) + QStringLiteral(" · trying ") + QString::fromStdString(methodTitle);
}

QString MethodCheckCard::explanation() {
    return QStringLiteral("Orvane") +
           QStringLiteral(" is applying a deep red tint with this method. If you can see it, press Yes.");
}

MethodCheckCard::MethodCheckCard(std::string displayName, const std::string& methodTitle,
                                 std::function<void(bool)> answer, QWidget* parent)
    : QWidget(parent), answer_(std::move(answer)) {
    setFixedWidth(cardWidth);
    setFocusPolicy(Qt::StrongFocus);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(16);

    auto* title = new kit::Text(question(), kit::Tokens::titleFont(), this);
    title->setAlignment(Qt::AlignCenter);
    column->addWidget(title);

    subtitle_ =
        new kit::Text(subtitle(displayName, methodTitle), kit::FontBook::font(kit::TextStyle::subheadline), this);
    subtitle_->setLevel(kit::TextLevel::secondary);
    subtitle_->setAlignment(Qt::AlignCenter);
    column->addWidget(subtitle_);

    auto* body = new kit::Text(explanation(), kit::FontBook::font(kit::TextStyle::callout), this);
    body->setLevel(kit::TextLevel::secondary);
    body->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    body->setMaximumLines(4);
    column->addWidget(body);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    buttons->addStretch(1);
    no_ = new kit::SystemButton(QStringLiteral("No"), false, this);
    yes_ = new kit::SystemButton(QStringLiteral("Yes, it's red"), true, this);
    for (auto* button : {no_, yes_}) {
        makeLarge(*button);
        // The keys belong to the card, whichever button was clicked last.
        button->setFocusPolicy(Qt::NoFocus);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    column->addLayout(buttons);
    connect(no_, &QAbstractButton::clicked, this, [this] { answer_(false); });
    connect(yes_, &QAbstractButton::clicked, this, [this] { answer_(true); });
}

void MethodCheckCard::keyPressEvent(QKeyEvent* event) {
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_N && modifiers == Qt::NoModifier) {
        answer_(false);
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        answer_(true);
        return;
    }
    QWidget::keyPressEvent(event);
}

void MethodCheckCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const kit::Appearance appearance = kit::appearanceOf(this);
    // Cut by a mask, the window shows no desktop behind the soft corners: the panel's
    // colour goes under them instead of black.
    if (!window()->mask().isEmpty()) painter.fillRect(rect(), kit::windowColor(appearance));
    kit::paintPanel(painter, QSizeF(size()), appearance, devicePixelRatioF());
}

}  // namespace orvane
