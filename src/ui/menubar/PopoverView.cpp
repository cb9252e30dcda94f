#include "ui/menubar/PopoverView.h"

#include <chrono>
#include <cstdio>

#include <QDialog>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/Platform.h"
#include "ui/kit/Context.h"
#include "ui/kit/PaintKit.h"
#include "ui/menubar/PopoverParts.h"
#include "ui/menubar/SkyWash.h"
#include "ui/views/RevealBox.h"
#include "ui/views/StatusBanner.h"
#include "ui/views/TintModule.h"
#include "ui/views/TonightSection.h"

namespace orvane {

namespace {
constexpr kit::Spring entranceSpring{0.5, 0.78};
constexpr int padding = 20;
constexpr int spacing = 16;
// The card's layout height is 48 pt short of its drawing and it runs over the top padding.
constexpr int skyLayoutHeight = SkyHero::cardHeight - padding - 48;
}  // namespace

EntranceBox::EntranceBox(QWidget* child, int index, std::shared_ptr<platform::Scheduler> scheduler, QWidget* parent)
    : QWidget(parent), child_(child), index_(index), scheduler_(std::move(scheduler)) {
    child_->setParent(this);
    child_->show();
    setSizePolicy(child_->sizePolicy());
    // The box lays its element out by hand, so no layout of its own hears the element's
    // size change: the element's layout request is passed up.
    child_->installEventFilter(this);
    auto* effect = new QGraphicsOpacityEffect(this);
    effect->setEnabled(false);  // only while fading: an effect draws through a pixmap
    setGraphicsEffect(effect);
    shown_.setOnChange([this, effect] {
        effect->setOpacity(std::clamp(shown_.value(), 0.0, 1.0));
        effect->setEnabled(shown_.value() < 1.0);
        place();
    });
}

QSize EntranceBox::sizeHint() const { return child_->sizeHint(); }
QSize EntranceBox::minimumSizeHint() const { return child_->minimumSizeHint(); }
void EntranceBox::resizeEvent(QResizeEvent*) { place(); }
bool EntranceBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == child_ && event->type() == QEvent::LayoutRequest) updateGeometry();
    return QWidget::eventFilter(watched, event);
}
int EntranceBox::childOffset() const { return static_cast<int>(std::lround((1.0 - shown_.value()) * 10)); }
void EntranceBox::place() { child_->setGeometry(0, childOffset(), width(), height()); }

void EntranceBox::hideAtOnce() {
    // Mid-animation or still waiting for its delay, the element jumps back.
    delayed_.cancel();
    started_ = false;
    if (auto a = kit::contextOf(this).animator) a->set(shown_, 0);
}

void EntranceBox::reveal() {
    const auto a = kit::contextOf(this).animator;
    if (!a) return;
    const auto start = [this] {
        started_ = true;
        if (auto now = kit::contextOf(this).animator) now->animate(shown_, 1, entranceSpring);
    };
    // Reduced motion has nothing to stagger.
    if (index_ == 0 || !scheduler_ || a->reduceMotion()) {
        start();
        return;
    }
    delayed_ = scheduler_->schedule(delay(), 0, start);
}

PopoverView::PopoverView(std::shared_ptr<AppModel> model, Environment environment, std::optional<Date> skyTime,
                         QWidget* parent)
    : QWidget(parent), model_(model), env_(std::move(environment)), stack_(new QVBoxLayout(this)) {
    if (!env_.sky.scheduler) env_.sky.scheduler = env_.scheduler;
    if (!env_.sky.clock) env_.sky.clock = env_.clock;
    env_.sky.startsOpen = false;  // the window announces each showing
    setFixedWidth(popoverWidth);
    wash_ = new SkyWash(model, env_.scheduler, env_.clock, skyTime, this);
    sky_ = new SkyHero(model, env_.sky, skyTime, this);
    sky_->setTopCornerRadius(cornerRadius);
    skySpace_ = new QWidget(this);
    skySpace_->setFixedHeight(skyLayoutHeight);
    banner_ = new kit::StatusBanner(model);
    bannerBox_ = new RevealBox(banner_, spacing, statusSpring);
    tint_ = new kit::TintModule(model, 36, false);
    tonight_ = new TonightSection(model, true);
    cozy_ = new CozyTile(model);
    trueColor_ = new TrueColorTile(model);
    thisApp_ = new ThisAppTile(model);
    auto* tiles = new QWidget;
    auto* tileRow = new QHBoxLayout(tiles);
    tileRow->setContentsMargins(0, 0, 0, 0);
    tileRow->setSpacing(8);
    tileRow->addWidget(cozy_);
    tileRow->addWidget(trueColor_);
    tileRow->addWidget(thisApp_);
    footer_ = new FooterRow(
        model, [this] { setExtrasExpanded(!extrasExpanded_); }, [this] { showWhy(); },
        [this] {
            if (env_.quit) env_.quit();
        });
    extras_ = new ExtrasSection(model);
    extrasBox_ = new RevealBox(extras_, spacing, extrasSpring);

    // The banner's and the extras' boxes carry the gap above them, so they open from nothing.
    stack_->setContentsMargins(padding, padding, padding, padding);
    stack_->setSpacing(0);
    stack_->setSizeConstraint(QLayout::SetFixedSize);
    stack_->addWidget(skySpace_);
    stack_->addWidget(bannerBox_);
    const std::pair<QWidget*, int> staged[] = {{tint_, 0}, {tonight_, 1}, {tiles, 3}, {footer_, 4}};
    for (const auto& [w, index] : staged) {
        auto* box = new EntranceBox(w, index, env_.scheduler);
        entrance_.push_back(box);
        stack_->addSpacing(spacing);
        stack_->addWidget(box);
    }
    stack_->addWidget(extrasBox_);
    for (int i = 1; i < stack_->count(); ++i)
        if (QWidget* w = stack_->itemAt(i)->widget()) w->setFixedWidth(popoverWidth - 2 * padding);
    wash_->lower();
    // Whatever follows the card overlaps its lowest part and is drawn over it.
    sky_->raise();
    bannerBox_->raise();
    for (auto* box : entrance_) box->raise();
    extrasBox_->raise();

    willShow_ = kit::notificationsOf(this).observe(kit::Notifications::popoverWillShow, [this](const auto&) {
        timeFirstPaint_ = platform::environmentSwitch("ORVANE_POPOVER_TIMING");
        replayEntrance();
    });
    bannerBox_->setShown(kit::StatusBanner::hasContent(*model_), false);
    follower_.emplace(model_, [this](AppModel::Property p) {
        // No notice depends on the statistics, which every booking tick changes.
        if (p != AppModel::Property::statistics) refreshBanner();
    });
}

PopoverView::~PopoverView() = default;

void PopoverView::refreshBanner() {
    // Nobody watches a closed popover: its banner changes at once there.
    bannerBox_->setShown(kit::StatusBanner::hasContent(*model_), isVisible());
}

void PopoverView::setExtrasExpanded(bool expanded) {
    extrasExpanded_ = expanded;
    extrasBox_->setShown(expanded);
    footer_->setExtrasExpanded(expanded);
    adjustSize();
}

void PopoverView::showWhy() {
    if (env_.showWhy) {
        env_.showWhy();
        return;
    }
    whyShown_ = true;
    QDialog dialog(window());
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setWindowTitle(QStringLiteral("Orvane"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* sheet = new WhySheet(model_, [&dialog] { dialog.accept(); });
    layout->addWidget(sheet);
    sheet->doneButton().setFocus();
    dialog.setAutoFillBackground(true);
    QPalette palette = dialog.palette();
    palette.setColor(QPalette::Window, kit::windowColor(kit::appearanceOf(this)));
    dialog.setPalette(palette);
    dialog.exec();
    whyShown_ = false;
}

void PopoverView::replayEntrance() {
    for (auto* box : entrance_) box->hideAtOnce();
    // The reset is drawn before the reveal starts.
    const auto reveal = [this, alive = QPointer<PopoverView>(this)] {
        if (alive) revealEntrance();
    };
    if (env_.scheduler) env_.scheduler->post(reveal);
    else QTimer::singleShot(0, this, reveal);
}

void PopoverView::revealEntrance() {
    for (auto* box : entrance_) box->reveal();
}

std::vector<QWidget*> PopoverView::elements() const {
    std::vector<QWidget*> out{sky_};
    for (int i = 1; i < stack_->count(); ++i) {
        QWidget* w = stack_->itemAt(i)->widget();
        if (w && !w->isHidden()) out.push_back(w);
    }
    return out;
}

QSize PopoverView::sizeHint() const { return {popoverWidth, stack_->sizeHint().height()}; }

void PopoverView::resizeEvent(QResizeEvent*) {
    sky_->setGeometry(0, 0, popoverWidth, SkyHero::cardHeight);
    wash_->setGeometry(0, washTop, popoverWidth, washHeight);
}

QPainterPath PopoverView::shape(const QSizeF& size) {
    return kit::PaintKit::roundedRect(QRectF(QPointF(0, 0), size), cornerRadius);
}

void PopoverView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // A rounded panel: the window around it keeps its corners clear.
    p.fillPath(shape(QSizeF(size())), kit::windowColor(kit::appearanceOf(this)));
    if (timeFirstPaint_) {
        timeFirstPaint_ = false;
        // The monotonic clock, so a timing script can set it against its own.
        const auto ns =
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
                .count();
        std::fprintf(stderr, "popover painted: %lld\n", static_cast<long long>(ns));
    }
}

}  // namespace orvane
