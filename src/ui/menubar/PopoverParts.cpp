#include "ui/menubar/PopoverParts.h"

#include <algorithm>
#include <filesystem>
#include <numbers>

#include <QDir>
#include <QFileInfo>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

#include "engine/DisplayManager.h"
#include "platform/DesktopEntry.h"
#include "platform/Platform.h"
#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/Glass.h"
#include "ui/kit/Menu.h"
#include "ui/kit/SymbolView.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Text.h"
#include "ui/kit/TileLabel.h"
#include "ui/kit/TintSwitch.h"
#include "ui/kit/Tokens.h"
#include "ui/menubar/UntintedDisplays.h"
#include "ui/views/TextField.h"

namespace orvane {

namespace {

constexpr double tileRadius = 16;

using kit::q;

QGraphicsOpacityEffect* faded(QWidget* w) {
    auto* effect = new QGraphicsOpacityEffect(w);
    effect->setOpacity(0.5);
    return effect;
}

void setupTile(kit::GlassShapeButton& tile, kit::TileLabel* label) {
    tile.setShape(kit::ButtonShape::roundedRect, tileRadius);
    tile.setContent(label);
    tile.setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

}  // namespace

QString methodLine(const DisplayCapabilities* display) {
    if (!display) return QStringLiteral("Orvane");
    if (!display->attachedMethod)
        return QStringLiteral("Not tinted: ") +
               q(display->notTintedReason.empty() ? std::string("no method can run") : display->notTintedReason);
    return q(display->attachedTitle) + QStringLiteral(" \u00B7 ") + q(display->name);
}

namespace {

// The statistics change with every tick that books time; no tile or row of the popover
// shows them (the sky card's badge follows them itself), so they cost those nothing.
bool showsChangeOf(AppModel::Property p) { return p != AppModel::Property::statistics; }

}  // namespace

// --- Wind-down tile ---

CozyTile::CozyTile(std::shared_ptr<AppModel> model, QWidget* parent)
    : kit::GlassShapeButton(parent),
      label_(new kit::TileLabel("moon.zzz.fill", QStringLiteral("Wind down"), {}, false)),
      model_(std::move(model), [this](AppModel::Property p) {
          if (showsChangeOf(p)) refresh();
      }) {
    setupTile(*this, label_);
    setToolTip(QStringLiteral("Jump to tonight's deepest color now"));
    setAccessibleName(QStringLiteral("Wind down now"));
    connect(this, &QAbstractButton::clicked, this,
            [this] { model_.model().setCozy(!model_.model().runtime().cozyActive); });
    refresh();
}

QString CozyTile::detail() const {
    const AppModel& m = model_.model();
    if (m.runtime().cozyActive) return QStringLiteral("On \u00B7 click to end");
    const TintTarget target =
        m.eveningPlan() ? m.settings().sunset.lateNightTarget : TintTarget::preset("builtin.midnight");
    const auto state = target.resolve(m.settings().presets, m.settings().redStyle);
    return QString::number(state.kelvin) + QStringLiteral("K now");
}

void CozyTile::refresh() {
    const bool active = model_.model().runtime().cozyActive;
    label_->setDetail(detail());
    label_->setOn(active);
    setTint(active ? std::optional(kit::Tokens::emberDeep().withOpacity(0.35)) : std::nullopt);
}

// --- True-colour tile ---

TrueColorTile::TrueColorTile(std::shared_ptr<AppModel> model, QWidget* parent)
    : kit::GlassShapeButton(parent),
      label_(new kit::TileLabel("sun.max", QStringLiteral("True color"), QStringLiteral("For 15 min"), false)),
      model_(std::move(model), [this](AppModel::Property p) {
          if (showsChangeOf(p)) refresh();
      }) {
    setupTile(*this, label_);
    connect(this, &QAbstractButton::clicked, this, [this] { act(); });
    // Holding the tile (or the context click) offers the other durations.
    auto* hold = new QTimer(this);
    hold->setSingleShot(true);
    hold->setInterval(500);
    connect(this, &QAbstractButton::pressed, hold, qOverload<>(&QTimer::start));
    connect(this, &QAbstractButton::released, hold, &QTimer::stop);
    auto popMenu = [this] {
        if (model_.model().resolution().status.is<TintStatus::DisabledUntil>() || !isEnabled()) return;
        setDown(false);
        QMenu menu(this);
        kit::themeMenu(menu, kit::appearanceOf(this));
        for (int i = 0; i < static_cast<int>(menuTitles().size()); ++i)
            menu.addAction(menuTitles()[static_cast<std::size_t>(i)], this, [this, i] { choose(i); });
        menu.exec(mapToGlobal(QPoint(0, height())));
    };
    connect(hold, &QTimer::timeout, this, popMenu);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, popMenu);
    refresh();
}

const std::vector<QString>& TrueColorTile::menuTitles() {
    static const std::vector<QString> titles{QStringLiteral("For 15 minutes"), QStringLiteral("For 1 hour"),
                                             QStringLiteral("Until sunrise"), QStringLiteral("Until tomorrow")};
    return titles;
}

void TrueColorTile::choose(int menuIndex) {
    AppModel& m = model_.model();
    if (!m.isWarming() || m.resolution().status.is<TintStatus::DisabledUntil>()) return;
    const Date now = kit::contextOf(this).now();
    switch (menuIndex) {
        case 0:
            m.disable(now + 900);
            break;
        case 1:
            m.disable(now + 3600);
            break;
        case 2:
            m.disableUntilSunrise();
            break;
        case 3:
            m.disableUntilTomorrow();
            break;
        default:
            break;
    }
}

void TrueColorTile::act() {
    AppModel& m = model_.model();
    if (m.resolution().status.is<TintStatus::DisabledUntil>()) {
        m.disable(std::nullopt);
        return;
    }
    if (!m.isWarming()) return;
    m.disable(kit::contextOf(this).now() + 900);
}

void TrueColorTile::refresh() {
    const AppModel& m = model_.model();
    if (const auto* until = m.resolution().status.as<TintStatus::DisabledUntil>()) {
        label_->setSymbol("sun.max.fill");
        label_->setDetail(q(m.trueColorUntilText(until->date)));
        label_->setOn(true);
        setTint(kit::Tokens::ember().withOpacity(0.18));
        setEnabled(true);
        setToolTip(QStringLiteral("Bring the warmth back now"));
        setAccessibleName(QStringLiteral("True color is on. Bring the warmth back"));
        return;
    }
    label_->setSymbol("sun.max");
    label_->setDetail(QStringLiteral("For 15 min"));
    label_->setOn(false);
    setTint(std::nullopt);
    setEnabled(m.isWarming());
    setToolTip(QStringLiteral("True color for 15 minutes. Hold for other durations."));
    setAccessibleName(QStringLiteral("True color for 15 minutes"));
}

// --- This-app tile ---

ThisAppTile::ThisAppTile(std::shared_ptr<AppModel> model, QWidget* parent)
    : kit::GlassShapeButton(parent),
      label_(new kit::TileLabel("app.dashed", QStringLiteral("This app"), QStringLiteral("Skip this app"), false)),
      model_(std::move(model), [this](AppModel::Property p) {
          if (showsChangeOf(p)) refresh();
      }) {
    // A long application name is cut short in this tile, never by taking the others' room.
    label_->setTitleElides(true);
    setupTile(*this, label_);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (const auto& info = model_.model().frontmostAppInfo())
            model_.model().toggleExclusion(info->bundleID, info->name);
    });
    refresh();
}

std::vector<QString> ThisAppTile::iconNames(const std::string& bundleID, const QStringList& applicationDirs) {
    std::vector<QString> names;
    const auto add = [&names](const QString& name) {
        if (!name.isEmpty() && std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    };
    const QString id = q(bundleID);
    // An id is a file name, never a path.
    if (id.isEmpty() || id.contains(QLatin1Char('/'))) return names;
    std::vector<std::filesystem::path> dirs;
    for (const QString& dir : applicationDirs) dirs.emplace_back(dir.toStdString());
    // The first folder that has the entry decides, even without an icon.
    const auto entryIcon = [&](const QString& candidate) {
        const auto found = platform::findDesktopEntry(candidate.toStdString(), dirs);
        return found ? q(found->entry.value("Icon").value_or("")) : QString();
    };
    QString fromEntry = entryIcon(id);
    if (fromEntry.isEmpty() && id != id.toLower()) fromEntry = entryIcon(id.toLower());
    add(fromEntry);
    add(id);
    add(id.toLower());
    return names;
}

std::optional<QImage> ThisAppTile::icon(const std::string& bundleID) {
    const auto dirs = QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    for (const QString& name : iconNames(bundleID, dirs)) {
        QIcon found;
        if (QDir::isAbsolutePath(name)) found = QFileInfo::exists(name) ? QIcon(name) : QIcon();
        else if (QIcon::hasThemeIcon(name)) found = QIcon::fromTheme(name);
        // The label draws it 28 pt wide at twice the density.
        if (!found.isNull()) {
            const QImage image = found.pixmap(56, 56).toImage();
            if (!image.isNull()) return image;
        }
    }
    return std::nullopt;
}

bool ThisAppTile::excluded() const {
    const auto& info = model_.model().frontmostAppInfo();
    if (!info) return false;
    for (const auto& entry : model_.model().settings().excludedApps)
        if (entry.matches(info->bundleID, info->windowClass)) return true;
    return false;
}

void ThisAppTile::paintEvent(QPaintEvent* event) {
    if (model_.model().frontmostAppInfo()) {
        kit::GlassShapeButton::paintEvent(event);
        return;
    }
    // Nothing in front: plain glass, half faded, not a button.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setOpacity(0.5);
    kit::glassSurface(p, shapePath(), kit::appearanceOf(this));
}

void ThisAppTile::refresh() {
    const auto& info = model_.model().frontmostAppInfo();
    if (!info) {
        // Where the desktop never tells which app is in front the tile says it cannot work.
        const Availability& front = model_.model().capabilities().frontmostApplication;
        label_->setAppIcon(std::nullopt);
        iconFor_.reset();
        label_->setTitle(QStringLiteral("This app"));
        label_->setDetail(front ? QStringLiteral("Skip this app") : QStringLiteral("Cannot work here"));
        label_->setOn(false);
        label_->setGraphicsEffect(faded(label_));
        setTint(std::nullopt);
        setEnabled(false);
        setToolTip(front ? QString() : q(front.reason));
        setAccessibleName(front ? QStringLiteral("This app") : q(front.reason));
        return;
    }
    const bool ex = excluded();
    const QString name = q(info->name);
    label_->setGraphicsEffect(nullptr);
    if (iconFor_ != info->bundleID) {
        iconFor_ = info->bundleID;
        label_->setAppIcon(icon(info->bundleID));
    }
    label_->setTitle(name);
    label_->setDetail(ex ? QStringLiteral("Never tinted") : QStringLiteral("Skip this app"));
    label_->setOn(ex);
    setTint(ex ? std::optional(kit::Tokens::ember().withOpacity(0.18)) : std::nullopt);
    setEnabled(true);
    setToolTip(ex ? QStringLiteral("Tint ") + name + QStringLiteral(" again")
                  : QStringLiteral("Never tint ") + name +
                        QStringLiteral(". Change the list in Settings \u203A Exclusions."));
    setAccessibleName(ex ? name + QStringLiteral(" is never tinted") : QStringLiteral("Never tint ") + name);
}

// --- Footer ---

FooterRow::FooterRow(std::shared_ptr<AppModel> model, std::function<void()> toggleExtras, std::function<void()> showWhy,
                     std::function<void()> quit, QWidget* parent)
    : QWidget(parent),
      method_(new kit::PressableButton(this)),
      chevron_(new kit::GlassIconButton("chevron.down", QStringLiteral("More options"), 30, {}, std::move(toggleExtras),
                                        this)),
      settings_(new kit::GlassIconButton(
          "gearshape.fill", QStringLiteral("Settings\u2026"), 30, {},
          [this] { kit::notificationsOf(this).post(kit::Notifications::openSettings); }, this)),
      quit_(new kit::GlassIconButton("power", QStringLiteral("Quit Orvane (removes the tint)"), 30, {}, std::move(quit),
                                     this)),
      model_(std::move(model), [this](AppModel::Property p) {
          if (!showsChangeOf(p)) return;
          fitMethod();
          method_->update();
      }) {
    // The chevron turns about its centre rather than swapping for another glyph.
    chevron_->setLabelPainter([this, turn = chevronTurn_](QPainter& p, const QRectF& box, kit::Appearance a) {
        p.save();
        p.translate(box.center());
        p.rotate(180.0 * turn.value());
        kit::Symbols::drawCentred(p, "chevron.down", QPointF(0, 0), chevron_->symbolSize(), kit::primaryText(a),
                                  QFont::DemiBold);
        p.restore();
    });
    chevronTurn_.setOnChange([this] { chevron_->update(); });
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    method_->setLabelPainter([this](QPainter& p, const QRectF& r, kit::Appearance a) {
        const QColor colour = kit::secondaryText(a);
        kit::Symbols::draw(p, "cpu", QRectF(r.left(), r.center().y() - 5.5, 11, 11), colour);
        p.setFont(kit::FontBook::font(kit::TextStyle::caption));
        p.setPen(colour);
        // The buttons keep their room: a line longer than what is left ends in an ellipsis.
        const QRectF text = r.adjusted(15, 0, 0, 0);
        p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
                   QFontMetricsF(p.font()).elidedText(methodText(), Qt::ElideRight, text.width()));
    });
    method_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    fitMethod();
    connect(method_, &QAbstractButton::clicked, this, [showWhy = std::move(showWhy)] { showWhy(); });
    row->addWidget(method_);
    row->addStretch(1);
    row->addWidget(chevron_);
    row->addWidget(settings_);
    row->addWidget(quit_);
}

void FooterRow::fitMethod() {
    const QString text = methodText();
    const QFontMetricsF fm(kit::FontBook::font(kit::TextStyle::caption));
    method_->setContentSize(QSizeF(15 + fm.horizontalAdvance(text) + 2, fm.height() + 12));
    // A reason rarely fits beside the buttons: the tooltip gives all of it, names a display
    // left untinted beside tinted ones, and says where the night light cannot reach the
    // warmth asked for.
    const std::string untinted = UntintedDisplays::reasons(model_.model().capabilities());
    const std::string reach = model_.model().nightLightReach();
    QString tip = QStringLiteral("How Orvane warms the screen");
    if (text.startsWith(QStringLiteral("Not tinted"))) tip = text;
    else if (!untinted.empty()) tip = q(untinted);
    if (!reach.empty() && !text.startsWith(QStringLiteral("Not tinted")))
        tip += QStringLiteral(". ") + q(reach) + QLatin1Char('.');
    method_->setToolTip(tip);
}

QString FooterRow::methodText() const {
    const AppModel& model = model_.model();
    const auto primary = model.primaryDisplay();
    const Capabilities& capabilities = model.capabilities();
    const QString line =
        methodLine(UntintedDisplays::footerDisplay(capabilities, primary ? std::optional(primary->id) : std::nullopt));
    // First, as the line rarely fits beside the buttons whole.
    const std::string untinted = UntintedDisplays::names(capabilities);
    return untinted.empty() ? line : q(untinted) + QStringLiteral(" \u00B7 ") + line;
}

void FooterRow::setExtrasExpanded(bool expanded) {
    chevron_->setToolTip(expanded ? QStringLiteral("Fewer options") : QStringLiteral("More options"));
    chevron_->setAccessibleName(chevron_->toolTip());
    // The popover's spring for the extras, so the turn keeps pace with the panel.
    if (auto animator = kit::contextOf(this).animator)
        animator->animate(chevronTurn_, expanded ? 1 : 0, kit::Spring{0.3, 1.0});
}

double FooterRow::chevronAngle() const { return std::numbers::pi * chevronTurn_.value(); }

// --- Extras ---

ExtrasSection::ExtrasSection(std::shared_ptr<AppModel> model, QWidget* parent)
    : QWidget(parent),
      reveal_(new kit::Text({}, kit::FontBook::font(kit::TextStyle::caption), this)),
      switch_(new kit::TintSwitch(QStringLiteral("Anti-dithering"), this)),
      ditherCaption_(new kit::Text(kit::unavailableCaption(), kit::FontBook::font(kit::TextStyle::caption), this)),
      model_(std::move(model), [this](AppModel::Property p) {
          if (p == AppModel::Property::settings) refresh();
      }) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(8);
    auto* revealRow = new QHBoxLayout;
    auto* revealLabel =
        new kit::Text(QStringLiteral("Reveal true color"), kit::FontBook::font(kit::TextStyle::subheadline));
    reveal_->setLevel(kit::TextLevel::secondary);
    revealRow->addSpacing(20);
    revealRow->addWidget(revealLabel);
    revealRow->addStretch(1);
    revealRow->addWidget(reveal_);
    column->addLayout(revealRow);
    auto* ditherRow = new QHBoxLayout;
    ditherRow->addSpacing(20);
    ditherRow->addWidget(
        new kit::Text(QStringLiteral("Anti-dithering"), kit::FontBook::font(kit::TextStyle::subheadline)));
    ditherRow->addStretch(1);
    ditherRow->addWidget(switch_);
    column->addLayout(ditherRow);
    // Without the service the switch could only pretend.
    const bool ditheringAvailable = model_.model().capabilities().antiDithering.available;
    switch_->setEnabled(ditheringAvailable);
    ditherCaption_->setLevel(kit::TextLevel::secondary);
    ditherCaption_->setVisible(!ditheringAvailable);
    auto* captionRow = new QHBoxLayout;
    captionRow->addSpacing(20);
    captionRow->addWidget(ditherCaption_);
    captionRow->addStretch(1);
    column->addLayout(captionRow);
    connect(switch_, &QAbstractButton::clicked, this, [this] {
        Settings s = model_.model().settings();
        s.antiDithering =
            s.antiDithering == AntiDitheringScope::off ? AntiDitheringScope::externalOnly : AntiDitheringScope::off;
        model_.model().setSettings(s);
    });
    refresh();
}

QString ExtrasSection::revealText() const {
    const Settings& s = model_.model().settings();
    const QString key = s.shortcuts.reveal ? q(s.shortcuts.reveal->display()) : QStringLiteral("unbound");
    return key + QStringLiteral(" \u00B7 ") + (s.revealTapToggles ? QStringLiteral("press") : QStringLiteral("hold"));
}

void ExtrasSection::refresh() {
    reveal_->setText(revealText());
    switch_->setOn(model_.model().settings().antiDithering != AntiDitheringScope::off);
}

void ExtrasSection::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 16, 16);
    const auto a = kit::appearanceOf(this);
    kit::glassSurface(p, shape, a);
    const QColor c = kit::secondaryText(a);
    const auto* layout = this->layout();
    const int y0 = layout->itemAt(0)->geometry().center().y();
    const int y1 = layout->itemAt(1)->geometry().center().y();
    kit::Symbols::drawCentred(p, "eye", QPointF(20, y0), 13, c);
    kit::Symbols::drawCentred(p, "square.grid.3x3.square", QPointF(20, y1), 13, c);
}

// --- Why sheet ---

QString WhySheet::body() {
    return QStringLiteral(
        "A display's gamma ramp is a lookup table per color channel that the graphics driver applies to every "
        "pixel on its way to the screen. It works with almost every driver, but color profiles, the desktop and "
        "other programs can replace it at any time.\n\n"
        "Orvane prefers a color matrix where the driver offers one (the \"CTM\" property of a display output). It "
        "scales every pixel's red, green and blue in the same pipeline, so black stays black and contrast is kept. "
        "Blue can go all the way to zero. In Readable red, blue and green content is folded into red so links and "
        "buttons stay visible.\n\n"
        "Without a color matrix, Orvane uses the gamma ramp, or lays a red and a black layer over the screen where "
        "a compositing window manager runs.");
}

QString WhySheet::methodText() const {
    const auto method = model_->primaryMethod();
    if (!method) return {};
    return QStringLiteral("In use on this computer: ") + q(model_->capabilities().methodTitle(*method));
}

WhySheet::WhySheet(std::shared_ptr<AppModel> model, std::function<void()> dismiss, QWidget* parent)
    : QWidget(parent), done_(new kit::SystemButton(QStringLiteral("Done"), true)), model_(std::move(model)) {
    setFixedWidth(sheetWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(12);
    column->addWidget(new kit::Text(QStringLiteral("How Orvane warms your screen"), kit::Tokens::titleFont()));
    // One text per paragraph, a line's gap between them.
    auto* paragraphs = new QVBoxLayout;
    paragraphs->setSpacing(QFontMetrics(kit::FontBook::font(kit::TextStyle::callout)).lineSpacing());
    for (const QString& paragraph : body().split(QStringLiteral("\n\n"))) {
        auto* text = new kit::Text(paragraph, kit::FontBook::font(kit::TextStyle::callout));
        text->setMaximumLines(12);
        text->setFixedTextWidth(sheetWidth - 48);
        paragraphs->addWidget(text);
    }
    column->addLayout(paragraphs);
    if (const QString line = methodText(); !line.isEmpty()) {
        auto* row = new QHBoxLayout;
        row->setSpacing(6);
        row->addWidget(new kit::SymbolView("cpu", 13));
        row->addWidget(new kit::Text(line, kit::FontBook::font(kit::TextStyle::callout, QFont::DemiBold)));
        row->addStretch(1);
        column->addLayout(row);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(done_);
    column->addLayout(buttons);
    connect(done_, &QAbstractButton::clicked, this, [dismiss = std::move(dismiss)] {
        if (dismiss) dismiss();
    });
}

}  // namespace orvane
