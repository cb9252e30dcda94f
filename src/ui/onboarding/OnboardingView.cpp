#include "ui/onboarding/OnboardingView.h"

#include <algorithm>
#include <cmath>

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include "app/AppModel.h"
#include "ui/kit/Buttons.h"
#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/Form.h"
#include "ui/kit/GlassCard.h"
#include "ui/kit/Panel.h"
#include "ui/kit/ScreenPlace.h"
#include "ui/kit/SymbolView.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Text.h"
#include "ui/kit/TintSwitch.h"
#include "ui/onboarding/OnboardingRules.h"
#include "ui/onboarding/OnboardingVisuals.h"
#include "ui/views/ClockMenu.h"
#include "ui/views/CurvePreview.h"
#include "ui/views/IntensitySegment.h"
#include "ui/views/LocationPickerView.h"

namespace orvane {

namespace {

constexpr int sidePadding = 28;
constexpr int topPadding = 20;
constexpr int bottomPadding = 20;
constexpr double riseOffset = 10;
constexpr kit::Spring riseSpring{0.55, 1.0};

QString text(const std::string& s) { return QString::fromStdString(s); }

kit::Text* label(const QString& s, double size, QFont::Weight weight, kit::TextLevel level, QWidget* parent) {
    auto* t = new kit::Text(s, kit::FontBook::system(size, weight), parent);
    t->setLevel(level);
    return t;
}

// A hairline across the card.
class Divider final : public QWidget {
public:
    explicit Divider(QWidget* parent) : QWidget(parent) { setFixedHeight(1); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QColor c = kit::primaryText(kit::appearanceOf(this));
        c.setAlphaF(0.12f);
        painter.fillRect(rect(), c);
    }
};

// Holds a text that enters from `shift` points lower; sized as the text.
class SlideBox final : public QWidget {
public:
    SlideBox(kit::Text* text, QWidget* parent) : QWidget(parent), text_(text) {
        text_->setParent(this);
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }
    void setShift(double shift) {
        shift_ = shift;
        place();
    }
    QSize sizeHint() const override { return text_->sizeHint(); }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return text_->heightForWidth(width); }

protected:
    void resizeEvent(QResizeEvent*) override { place(); }

private:
    void place() { text_->setGeometry(0, static_cast<int>(std::lround(shift_)), width(), height()); }

    kit::Text* text_;
    double shift_ = 0;
};

// The place chooser under the place button: the picker in a form section of its own, as
// tall as the shown tab needs (a list and the caption under it stay whole); it tells when
// it closes, by any cause, and is placed again by `place` whenever its height changes.
class PlacePopover final : public QWidget {
public:
    PlacePopover(std::shared_ptr<AppModel> model, std::function<void()> closed, std::function<void()> place,
                 QWidget* parent)
        : QWidget(parent, Qt::Popup), closed_(std::move(closed)), place_(std::move(place)) {
        setFixedWidth(OnboardingView::placePopoverWidth);
        // The popover's rounded, edged panel.
        kit::shapeAsPanel(*this, kit::compositingManagerRunning());
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(12, 10, 12, 12);
        auto* form = new kit::Form(this);
        form->addSection(QStringLiteral("Location"))->addRow(new LocationPickerView(std::move(model)));
        layout->addWidget(form);
        fit();
    }

protected:
    bool event(QEvent* event) override {
        const bool handled = QWidget::event(event);
        // A tab or a row shown or hidden: the height follows.
        if (event->type() == QEvent::LayoutRequest) fit();
        return handled;
    }
    void hideEvent(QHideEvent* event) override {
        QWidget::hideEvent(event);
        if (closed_) closed_();
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const kit::Appearance appearance = kit::appearanceOf(this);
        // Cut by a mask: the panel's colour under the soft corners instead of black.
        if (!mask().isEmpty()) painter.fillRect(rect(), kit::windowColor(appearance));
        kit::paintPanel(painter, QSizeF(size()), appearance, devicePixelRatioF());
    }

private:
    void fit() {
        QLayout* l = layout();
        const int needed = l->hasHeightForWidth() ? l->totalHeightForWidth(width()) : l->totalSizeHint().height();
        if (needed == height()) return;
        setFixedHeight(needed);
        kit::shapeAsPanel(*this, kit::compositingManagerRunning());
        if (place_ && isVisible()) place_();
    }

    std::function<void()> closed_;
    std::function<void()> place_;
};

// An icon and its title, 3 apart.
QWidget* tightLabel(const std::string& symbol, const QString& title, QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    auto* icon = new kit::SymbolView(symbol, 11, box);
    icon->setLevel(kit::TextLevel::secondary);
    row->addWidget(icon);
    row->addWidget(label(title, 12, QFont::Normal, kit::TextLevel::secondary, box));
    return box;
}

// Two notes side by side with a dot between, centred; where the width is too small for
// both (the key names are long), one above the other, so neither is cut.
class FooterLine final : public QWidget {
public:
    FooterLine(QWidget* first, QWidget* dot, QWidget* second, QWidget* parent)
        : QWidget(parent), first_(first), dot_(dot), second_(second) {
        for (QWidget* w : {first_, dot_, second_}) w->setParent(this);
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }
    QSize sizeHint() const override {
        return {oneLineWidth(),
                std::max({first_->sizeHint().height(), dot_->sizeHint().height(), second_->sizeHint().height()})};
    }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        if (width >= oneLineWidth()) return sizeHint().height();
        return first_->sizeHint().height() + lineGap + second_->sizeHint().height();
    }

protected:
    void resizeEvent(QResizeEvent*) override {
        const QSize a = first_->sizeHint(), d = dot_->sizeHint(), b = second_->sizeHint();
        if (width() >= oneLineWidth()) {
            const int h = sizeHint().height();
            int x = (width() - oneLineWidth()) / 2;
            for (auto [w, size] : {std::pair{first_, a}, std::pair{dot_, d}, std::pair{second_, b}}) {
                w->setGeometry(x, (h - size.height()) / 2, size.width(), size.height());
                x += size.width() + spacing;
            }
            dot_->show();
            return;
        }
        dot_->hide();
        first_->setGeometry((width() - a.width()) / 2, 0, std::min(a.width(), width()), a.height());
        second_->setGeometry((width() - b.width()) / 2, a.height() + lineGap, std::min(b.width(), width()), b.height());
    }

private:
    static constexpr int spacing = 6;
    static constexpr int lineGap = 2;
    int oneLineWidth() const {
        return first_->sizeHint().width() + dot_->sizeHint().width() + second_->sizeHint().width() + 2 * spacing;
    }

    QWidget* first_;
    QWidget* dot_;
    QWidget* second_;
};

}  // namespace

OnboardingView::OnboardingView(std::shared_ptr<AppModel> model, std::function<void()> finish, QWidget* parent)
    : QWidget(parent),
      model_(std::move(model)),
      finish_(std::move(finish)),
      appeared_(kit::GlassStyle::offscreenRender()),
      night_(OnboardingRules::night(model_->eveningPlan())) {
    setFixedSize(viewWidth, viewHeight);
    setFocusPolicy(Qt::StrongFocus);
    for (auto& value : rise_) {
        kit::contextOf(this).animator->set(value, appeared_ ? 1 : 0);
        value.setOnChange([this] { layoutSections(); });
    }

    icon_ = new OnboardingIcon(night_.intensity, this);
    QFont titleFont = kit::FontBook::system(28, QFont::Bold);
    titleFont.setLetterSpacing(QFont::AbsoluteSpacing, -0.3);
    title_ = new kit::Text(QStringLiteral("Easier evenings for your eyes"), titleFont, this);
    title_->setAlignment(Qt::AlignCenter);
    subtitle_ = label(text(OnboardingRules::subtitle(model_->capabilities().tinting().available)), 15, QFont::Normal,
                      kit::TextLevel::secondary, this);
    subtitle_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    subtitle_->setMaximumLines(3);
    card_ = static_cast<kit::GlassCard*>(makeCard());
    settingsRow_ = makeSettingsRow();
    start_ = new StartButton(QStringLiteral("Start"), this);
    connect(start_, &QAbstractButton::clicked, this, [this] { start(); });
    footer_ = makeFooter();
    wash_ = new NightWash(night_.intensity, this);
    // A new description fades in from 3 points lower.
    descriptionFade_.setOnChange([this] {
        description_->setOpacity(descriptionFade_.value());
        static_cast<SlideBox*>(descriptionBox_)->setShift(3 * (1 - descriptionFade_.value()));
    });

    subscription_ = model_->observe([this](AppModel::Property p) {
        if (p == AppModel::Property::settings || p == AppModel::Property::resolution ||
            p == AppModel::Property::location || p == AppModel::Property::capabilities)
            refresh();
    });
    refresh();
    layoutSections();
}

OnboardingView::~OnboardingView() = default;

QWidget* OnboardingView::makeCard() {
    auto* card = new kit::GlassCard(16, this);
    auto* column = new QVBoxLayout(card);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(12);

    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(label(QStringLiteral("Your night"), 15, QFont::DemiBold, kit::TextLevel::primary, card));
    row->addStretch(1);
    bed_ = new ClockMenu(
        "bed.double.fill", "Bed", night_.bedtime, ClockMenu::bedtimes(),
        [this](ClockTime t) { model_->setEveningPlan(OnboardingRules::withBedtime(night_, t)); }, card);
    wake_ = new ClockMenu(
        "alarm.fill", "Wake", night_.wake, ClockMenu::wakeTimes(),
        [this](ClockTime t) { model_->setEveningPlan(OnboardingRules::withWake(night_, t)); }, card);
    row->addWidget(bed_);
    row->addWidget(wake_);
    column->addLayout(row);
    column->addWidget(new Divider(card));

    auto* warmth = new QVBoxLayout;
    warmth->setSpacing(8);
    warmth->addWidget(
        label(QStringLiteral("How warm the night gets"), 15, QFont::DemiBold, kit::TextLevel::primary, card));
    intensity_ = new IntensitySegment(model_, 34, card);
    warmth->addWidget(intensity_);
    description_ = label({}, 13, QFont::Normal, kit::TextLevel::secondary, card);
    description_->setMaximumLines(2);
    description_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    warmth->addSpacing(2);
    descriptionBox_ = new SlideBox(description_, card);
    warmth->addWidget(descriptionBox_);
    column->addLayout(warmth);

    column->addSpacing(4);
    curve_ = new CurvePreview(model_->resolution().curve, model_->placeZone(), 12, true, card);
    curve_->setFixedHeight(44);
    column->addWidget(curve_);

    modeLine_ = label({}, 12, QFont::Normal, kit::TextLevel::secondary, card);
    column->addWidget(modeLine_);
    return card;
}

QWidget* OnboardingView::makeSettingsRow() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    launchSwitch_ = new kit::TintSwitch(QStringLiteral("Start with my computer"), box);
    connect(launchSwitch_, &QAbstractButton::clicked, this, [this](bool on) {
        // Stored now; the login item itself is registered when the window finishes.
        model_->change([on](Settings& s, RuntimeState&) { s.launchAtLogin = on; });
    });
    row->addWidget(launchSwitch_);
    row->addWidget(label(QStringLiteral("Start with my computer"), 14, QFont::Normal, kit::TextLevel::primary, box));
    row->addStretch(1);

    placeButton_ = new kit::PressableButton(box);
    placeButton_->setToolTip(
        QStringLiteral("Sunset and sunrise come from this place. The time zone is usually close enough."));
    placeButton_->setLabelPainter([this](QPainter& painter, const QRectF& r, kit::Appearance appearance) {
        const QFont font = kit::FontBook::system(14);
        const QFontMetricsF metrics(font);
        const QString name = metrics.elidedText(placeName(), Qt::ElideRight, 220);
        const QString change = QStringLiteral("Change");
        double x = r.left();
        kit::Symbols::drawCentred(painter, "location.fill", QPointF(x + 6.5, r.center().y()), 13,
                                  kit::Tokens::emberText().resolve(appearance));
        x += 13 + 4;
        painter.setFont(font);
        painter.setPen(kit::primaryText(appearance));
        painter.drawText(QRectF(x, r.top(), metrics.horizontalAdvance(name) + 1, r.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, name);
        x += metrics.horizontalAdvance(name) + 4;
        painter.setPen(kit::secondaryText(appearance));
        painter.drawText(QRectF(x, r.top(), metrics.horizontalAdvance(change) + 1, r.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, change);
    });
    connect(placeButton_, &QAbstractButton::clicked, this, [this] { choosePlace(); });
    row->addWidget(placeButton_);
    return box;
}

QWidget* OnboardingView::makeFooter() {
    // Where the desktop gives no global shortcuts the reset keys do nothing; quitting
    // still takes the tint away.
    const QString off = model_->capabilities().globalShortcuts ? text(OnboardingRules::emergencyOffText())
                                                               : QStringLiteral("Quitting Orvane removes the tint");
    return new FooterLine(tightLabel("lock.fill", QStringLiteral("Nothing leaves your computer"), this),
                          label(QStringLiteral("·"), 12, QFont::Normal, kit::TextLevel::secondary, this),
                          tightLabel("power", off, this), this);
}

QString OnboardingView::placeName() const { return text(model_->location().name); }

void OnboardingView::refresh() {
    subtitle_->setText(text(OnboardingRules::subtitle(model_->capabilities().tinting().available)));
    night_ = OnboardingRules::night(model_->eveningPlan());
    bed_->setTime(night_.bedtime);
    wake_->setTime(night_.wake);
    const QString description = text(OnboardingRules::description(night_.intensity));
    if (description_->text() != description) {
        description_->setText(description);
        if (lastIntensity_ && OnboardingVisuals::motionAllowed(this)) {
            kit::Animator& animator = *kit::contextOf(this).animator;
            animator.set(descriptionFade_, 0);
            animator.animate(descriptionFade_, 1, {0.7, 1.0});
        }
    }
    if (lastIntensity_ && *lastIntensity_ != night_.intensity) flashWash();
    lastIntensity_ = night_.intensity;
    icon_->setIntensity(night_.intensity);
    wash_->setIntensity(night_.intensity);
    curve_->setCurve(model_->resolution().curve);
    curve_->setTimeZone(model_->placeZone());
    modeLine_->rollText(text(model_->modeSubtitle()));
    launchSwitch_->setOn(model_->settings().launchAtLogin);
    {
        const QFontMetricsF metrics(kit::FontBook::system(14));
        const double name = std::min(220.0, metrics.horizontalAdvance(placeName()));
        placeButton_->setContentSize(
            {13 + 4 + name + 4 + metrics.horizontalAdvance(QStringLiteral("Change")) + 2, std::ceil(metrics.height())});
    }
    update();
}

void OnboardingView::flashWash() {
    if (!OnboardingVisuals::motionAllowed(this)) return;
    flash_ = true;
    wash_->setFlash(true);
    QTimer::singleShot(380, this, [this] {
        flash_ = false;
        wash_->setFlash(false);
    });
}

void OnboardingView::start() {
    OnboardingRules::start(*model_);
    if (finish_) finish_();
}

void OnboardingView::choosePlace() {
    choosingPlace_ = true;
    // Below the button, centred on it; above it where the screen's available area ends
    // first, and never past that area's edges; again when its height changes.
    const auto place = [this] {
        const QRect anchor(placeButton_->mapToGlobal(QPoint(0, 0)), placeButton_->size());
        placePopover_->move(kit::popupOrigin(anchor, placePopover_->size(), kit::availableAreaAt(anchor.center())));
    };
    if (!placePopover_)
        placePopover_ = new PlacePopover(
            model_, [this] { choosingPlace_ = false; }, place, this);
    place();
    placePopover_->show();
}

void OnboardingView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        start();
        return;
    }
    QWidget::keyPressEvent(event);
}

void OnboardingView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const kit::Appearance appearance = kit::appearanceOf(this);
    painter.fillRect(rect(), kit::windowColor(appearance));
    OnboardingVisuals::paintBackdrop(painter, QSizeF(size()), night_.intensity, appearance);
}

void OnboardingView::resizeEvent(QResizeEvent*) { layoutSections(); }

void OnboardingView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    riseIn();
}

void OnboardingView::riseIn() {
    if (appeared_) return;
    appeared_ = true;
    kit::Animator& animator = *kit::contextOf(this).animator;
    if (!OnboardingVisuals::motionAllowed(this)) {
        for (auto& value : rise_) animator.set(value, 1);
        return;
    }
    // Each section 0.08 s after the one above.
    for (int step = 0; step < riseSteps; ++step)
        QTimer::singleShot(step * 80, this, [this, step] {
            kit::contextOf(this).animator->animate(rise_[static_cast<std::size_t>(step)], 1, riseSpring);
        });
}

void OnboardingView::layoutSections() {
    if (!wash_) return;
    const int inner = viewWidth - 2 * sidePadding;
    const auto offset = [this](int step) {
        return static_cast<int>(std::lround(riseOffset * (1 - rise_[static_cast<std::size_t>(step)].value())));
    };
    const auto place = [&](QWidget* w, QRect r, int step) {
        r.translate(0, offset(step));
        w->setGeometry(r);
        const double opacity = rise_[static_cast<std::size_t>(step)].value();
        if (opacity >= 1) {
            w->setGraphicsEffect(nullptr);
            return;
        }
        auto* effect = qobject_cast<QGraphicsOpacityEffect*>(w->graphicsEffect());
        if (!effect) {
            effect = new QGraphicsOpacityEffect(w);
            w->setGraphicsEffect(effect);
        }
        effect->setOpacity(opacity);
    };

    int y = topPadding;
    place(icon_, QRect((viewWidth - icon_->width()) / 2, y - OnboardingIcon::glowRoom, icon_->width(), icon_->height()),
          0);
    y += OnboardingIcon::iconSize + 16;
    const int titleHeight = title_->sizeHint().height();
    place(title_, QRect(sidePadding, y, inner, titleHeight), 1);
    y += titleHeight + 8;
    const int subtitleWidth = std::min(420, inner);
    const int subtitleHeight = subtitle_->heightForWidth(subtitleWidth);
    place(subtitle_, QRect((viewWidth - subtitleWidth) / 2, y, subtitleWidth, subtitleHeight), 1);
    y += subtitleHeight + 24;
    QLayout* cardLayout = card_->layout();
    cardLayout->activate();
    const int cardHeight =
        cardLayout->hasHeightForWidth() ? cardLayout->heightForWidth(inner) : card_->sizeHint().height();
    place(card_, QRect(sidePadding, y, inner, cardHeight), 2);
    y += cardHeight + 16;
    place(settingsRow_, QRect(sidePadding + 4, y, inner - 8, settingsRow_->sizeHint().height()), 3);

    const int footerHeight = footer_->heightForWidth(inner);
    const int footerTop = viewHeight - bottomPadding - footerHeight;
    place(footer_, QRect(sidePadding, footerTop, inner, footerHeight), 4);
    const int startTop = footerTop - 12 - StartButton::buttonHeight;
    place(start_,
          QRect(sidePadding - StartButton::shadowRoom, startTop, inner + 2 * StartButton::shadowRoom,
                StartButton::buttonHeight + StartButton::shadowRoom),
          4);
    icon_->lower();
    wash_->setGeometry(rect());
    wash_->raise();
}

}  // namespace orvane
