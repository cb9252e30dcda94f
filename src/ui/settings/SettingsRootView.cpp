#include "ui/settings/SettingsRootView.h"

#include <algorithm>
#include <map>

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/AppModel.h"
#include "ui/kit/Context.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/PaintKit.h"
#include "ui/kit/PaneChrome.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Text.h"
#include "ui/kit/Tokens.h"
#include "ui/settings/PaneRegistry.h"
#include "ui/settings/SettingsRootRules.h"
#include "ui/views/AppIconRenderer.h"

namespace orvane {

namespace {
constexpr kit::Spring cardSpring{0.3, 1.0};
}  // namespace

// The application icon, scaled to fit its box, greyed by `saturation`.
class AppIcon : public QWidget {
public:
    AppIcon(int renderPoints, int side, QWidget* parent = nullptr) : QWidget(parent), side_(side) {
        // Twice the points, for the window's 2x pixels; drawn once per size for the process,
        // as every new window and every visit of About would draw it again.
        static std::map<int, QImage> drawn;
        auto [it, isNew] = drawn.try_emplace(renderPoints);
        if (isNew) it->second = AppIconRenderer::image(renderPoints * 2);
        image_ = it->second;
        setFixedSize(side, side);
        setAttribute(Qt::WA_TranslucentBackground);
    }
    void setSaturation(double saturation) {
        if (saturation == saturation_) return;
        saturation_ = saturation;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (image_.isNull()) return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QImage shown = saturation_ >= 1 ? image_ : kit::PaintKit::desaturated(image_, saturation_);
        painter.drawImage(QRectF(0, 0, side_, side_), shown);
    }

private:
    int side_;
    QImage image_;
    double saturation_ = 1;
};

// --- sidebar row -------------------------------------------------------------------------

SidebarRow::SidebarRow(Pane pane, QWidget* parent)
    : QAbstractButton(parent), pane_(pane), hover_(*this, [this](bool inside) {
          hovering_ = inside;
          update();
      }) {
    setText(QString::fromStdString(title(pane)));
    setAccessibleName(text());
    setFixedHeight(30);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

void SidebarRow::setSelected(bool selected) {
    if (selected == selected_) return;
    selected_ = selected;
    // Assistive technology hears the selected row as selected.
    setAccessibleDescription(selected ? QStringLiteral("selected") : QString());
    update();
}

void SidebarRow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
            if (stepped) stepped(event->key() == Qt::Key_Up ? -1 : 1);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            click();
            return;
        default:
            QAbstractButton::keyPressEvent(event);  // Space clicks
    }
}

double SidebarRow::fillOpacity() const { return selected_ ? 0.075 : hovering_ ? 0.035 : 0.0; }

void SidebarRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const kit::Appearance appearance = kit::appearanceOf(this);
    const QColor primary = kit::primaryText(appearance);
    if (const double fill = fillOpacity(); fill > 0) {
        QColor c = primary;
        c.setAlphaF(static_cast<float>(fill));
        painter.fillPath(kit::PaintKit::roundedRect(QRectF(rect()), 8), c);
    }
    const QColor symbolColour =
        selected_ ? kit::Tokens::emberText().resolve(appearance) : kit::secondaryText(appearance);
    const std::string symbolName = selected_ ? symbolFilled(pane_) : std::string(symbol(pane_));
    const QRectF symbolBox(8, 0, 20, height());
    kit::Symbols::drawCentred(painter, symbolName, symbolBox.center(), 14, symbolColour, QFont::Medium);
    const QFont font = kit::FontBook::font(kit::TextStyle::body, selected_ ? QFont::Medium : QFont::Normal);
    painter.setFont(font);
    painter.setPen(primary);
    painter.drawText(QRectF(36, 0, width() - 44, height()), Qt::AlignLeft | Qt::AlignVCenter, text());
    if (kit::showsFocusRing(*this))
        kit::paintFocusRing(painter, kit::PaintKit::roundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 7),
                            kit::focusRingColour(appearance));
}

// --- status card -------------------------------------------------------------------------

StatusCard::StatusCard(std::shared_ptr<AppModel> model, QWidget* parent)
    : QWidget(parent), model_(std::move(model), [this](AppModel::Property p) {
          if (p == AppModel::Property::settings || p == AppModel::Property::resolution) refresh(true);
      }) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    icon_ = new AppIcon(96, 34);
    row->addWidget(icon_, 0, Qt::AlignVCenter);
    auto* column = new QVBoxLayout;
    column->setSpacing(1);
    auto* name = new kit::Text(QStringLiteral("Orvane"), kit::FontBook::font(kit::TextStyle::body, QFont::DemiBold));
    column->addWidget(name);
    status_ = new kit::Text({}, kit::FontBook::font(kit::TextStyle::caption));
    column->addWidget(status_);
    row->addLayout(column, 1);
    saturation_.setOnChange([this] { icon_->setSaturation(saturation_.value()); });
    refresh(false);
}

void StatusCard::refresh(bool animated) {
    const auto line = SettingsRootRules::statusLine(model_.model());
    const QString text = QString::fromStdString(line.text);
    if (animated) status_->rollText(text, kit::NumericTransition::Direction::up, cardSpring);
    else status_->setText(text);
    status_->setLevel(line.warmKelvin ? kit::TextLevel::primary : kit::TextLevel::secondary);
    status_->setColour(line.warmKelvin ? std::optional(kit::Tokens::warmColor(*line.warmKelvin)) : std::nullopt);
    const double saturation = model_.model().settings().enabled ? 1.0 : 0.2;
    auto& animator = *kit::contextOf(this).animator;
    if (animated) animator.animate(saturation_, saturation, cardSpring);
    else animator.set(saturation_, saturation);
    icon_->setSaturation(saturation_.value());
}

// --- root view ---------------------------------------------------------------------------

SettingsRootView::SettingsRootView(PaneEnvironment environment, std::optional<Pane> initialPane, QWidget* parent)
    : QWidget(parent), environment_(std::move(environment)) {
    setMinimumSize(minimumSize);
    auto* split = new QHBoxLayout(this);
    split->setContentsMargins(0, 0, 0, 0);
    split->setSpacing(0);

    auto* sidebar = new QWidget;
    sidebar->setFixedWidth(sidebarWidth);
    auto* stack = new QVBoxLayout(sidebar);
    stack->setContentsMargins(12, 8, 12, 8);
    stack->setSpacing(1);
    card_ = new StatusCard(environment_.model);
    card_->setContentsMargins(8, 4, 8, 4);
    stack->addWidget(card_);
    stack->addSpacing(16);
    bool first = true;
    for (const auto& group : paneGroups()) {
        // A 16-point gap between the 1-point spacings around it (Qt adds one of them).
        if (!first) stack->addSpacing(17);
        first = false;
        for (Pane pane : group) {
            auto* row = new SidebarRow(pane);
            connect(row, &QAbstractButton::clicked, this, [this, pane] { select(pane); });
            // Up and Down walk the list as a list: the next row gets the focus and its pane.
            row->stepped = [this, row](int step) {
                const std::ptrdiff_t next = (std::find(rows_.begin(), rows_.end(), row) - rows_.begin()) + step;
                if (next < 0 || next >= static_cast<std::ptrdiff_t>(rows_.size())) return;
                rows_[static_cast<std::size_t>(next)]->setFocus(Qt::TabFocusReason);
                rows_[static_cast<std::size_t>(next)]->click();
            };
            rows_.push_back(row);
            stack->addWidget(row);
        }
    }
    stack->addStretch(1);
    split->addWidget(sidebar);

    scroll_ = new QScrollArea;
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setAttribute(Qt::WA_TranslucentBackground);
    scroll_->viewport()->setAutoFillBackground(false);
    // A thin grey bar that reads on both appearances, in place of the platform's trough.
    scroll_->verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { background: transparent; width: 10px; margin: 2px; }"
        "QScrollBar::handle:vertical { background: rgba(128, 128, 128, 110); border-radius: 3px; min-height: 28px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }"));
    split->addWidget(scroll_, 1);

    pane_ = initialPane.value_or(Pane::general);
    buildDetail();

    openPane_ = kit::notificationsOf(parent ? parent : this)
                    .observe(kit::Notifications::openSettingsPane, [this](const kit::NotificationCenter::Object& o) {
                        if (!o) return;
                        if (const auto pane = fromString<Pane>(*o)) select(*pane);
                    });
}

SettingsRootView::~SettingsRootView() = default;

void SettingsRootView::select(Pane pane) {
    if (pane == pane_) return;
    pane_ = pane;
    buildDetail();
}

void SettingsRootView::buildDetail() {
    for (auto* row : rows_) row->setSelected(row->pane() == pane_);
    // A new form each time: the previous pane's scroll position and view state go with it.
    auto* content = new QWidget;
    content->setAttribute(Qt::WA_TranslucentBackground);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 18, 0, 0);
    column->setSpacing(0);
    auto* titleRow = new QHBoxLayout;
    titleRow->setContentsMargins(24, 0, 24, 0);
    title_ =
        new kit::Text(QString::fromStdString(title(pane_)), kit::FontBook::font(kit::TextStyle::title2, QFont::Bold));
    titleRow->addWidget(title_);
    column->addLayout(titleRow);
    header_ = nullptr;
    if (pane_ == Pane::about) {
        const std::string line =
            environment_.model ? SettingsRootRules::aboutLine(*environment_.model->platform()) : std::string();
        header_ = new kit::PaneHeader(QStringLiteral("Orvane"), QString::fromStdString(line), new AppIcon(256, 80));
        column->addWidget(header_);
    }
    paneView_ = nullptr;
    if (const PaneMaker make = paneMaker(pane_)) {
        paneView_ = make(environment_);
        column->addWidget(paneView_);
    }
    column->addStretch(1);
    delete scroll_->takeWidget();
    scroll_->setWidget(content);
    // The scroll area makes its widget fill its own background, which a see-through widget
    // then leaves unpainted: black in a live window, hidden in a render over a ground.
    content->setAutoFillBackground(false);
    scroll_->verticalScrollBar()->setValue(0);
}

void SettingsRootView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const kit::Appearance appearance = kit::appearanceOf(this);
    painter.fillRect(rect(), kit::windowColor(appearance));
    // The sidebar a shade apart, with a hairline at its edge.
    const QRectF sidebar(0, 0, sidebarWidth, height());
    painter.fillRect(sidebar,
                     kit::isDark(appearance) ? QColor::fromRgbF(0, 0, 0, 0.12f) : QColor::fromRgbF(0, 0, 0, 0.035f));
    painter.fillRect(QRectF(sidebarWidth - 0.5, 0, 0.5, height()),
                     kit::isDark(appearance) ? QColor::fromRgbF(1, 1, 1, 0.08f) : QColor::fromRgbF(0, 0, 0, 0.1f));
}

}  // namespace orvane
