#include "ui/onboarding/QtMethodCheckAsker.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QVBoxLayout>

#include "ui/hud/QtPanels.h"
#include "ui/kit/Panel.h"
#include "ui/kit/ScreenPlace.h"
#include "ui/onboarding/MethodCheckCard.h"

namespace orvane {

QtMethodCheckAsker::QtMethodCheckAsker(std::function<std::string(TintMethod)> titleOf) : titleOf_(std::move(titleOf)) {}

QtMethodCheckAsker::~QtMethodCheckAsker() {
    if (window_) window_->hide();
}

void QtMethodCheckAsker::show(const DisplayInfo& display, TintMethod method, std::function<void(bool)> answer) {
    // A fresh window per question; the one held before goes.
    auto window = std::make_unique<QWidget>(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint);
    window->setWindowTitle(QStringLiteral("Orvane"));
    auto* layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    card_ = new MethodCheckCard(display.name, titleOf_ ? titleOf_(method) : std::string(title(method)),
                                std::move(answer), window.get());
    layout->addWidget(card_);
    QLayout* cardLayout = card_->layout();
    const int height = cardLayout->hasHeightForWidth() ? cardLayout->totalHeightForWidth(MethodCheckCard::cardWidth)
                                                       : card_->sizeHint().height();
    window->setFixedSize(MethodCheckCard::cardWidth, height);

    // Centred on the display; display frames are global points from the main screen's
    // bottom-left corner.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = window->size();
    const platform::Point origin{display.frame.x + display.frame.width / 2 - size.width() / 2.0,
                                 display.frame.y + display.frame.height / 2 - size.height() / 2.0};
    const QRect centred = QtPanels::toolkitGeometry(origin, size, screen ? screen->geometry() : QRect());
    window->setGeometry(kit::keptInside(centred, kit::availableAreaAt(centred.center())));

    // The popover's rounded, edged panel; see-through corners need the ARGB window made
    // at the first showing.
    kit::shapeAsPanel(*window, kit::compositingManagerRunning());
    if (window_) window_->hide();
    window_ = std::move(window);
    window_->show();
    window_->raise();
    window_->activateWindow();
    card_->setFocus(Qt::ActiveWindowFocusReason);
}

void QtMethodCheckAsker::orderOut() {
    if (window_) window_->hide();
}

}  // namespace orvane
