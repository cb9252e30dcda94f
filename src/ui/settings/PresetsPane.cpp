#include "ui/settings/PresetsPane.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>

#include "support/Uuid.h"
#include "ui/kit/Appearance.h"
#include "ui/kit/Buttons.h"
#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/PaintKit.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Text.h"
#include "ui/kit/Tokens.h"
#include "ui/settings/PaneRegistry.h"
#include "ui/settings/PresetEditor.h"

namespace orvane {

namespace {

using kit::q;

constexpr double padding = 8;  // inside the card's own
constexpr double spacing = 12;
constexpr double badge = 28;

// The least of the three text levels: captions beside the name, hotkeys.
QColor tertiaryText(kit::Appearance appearance) {
    QColor c = kit::primaryText(appearance);
    c.setAlphaF(kit::isDark(appearance) ? 0.45f : 0.42f);
    return c;
}

kit::SystemButton* smallButton(const QString& title, const char* symbol, QWidget* parent) {
    auto* button = new kit::SystemButton(title, false, parent);
    button->setFont(kit::FontBook::font(kit::TextStyle::callout));
    if (symbol) button->setSymbol(symbol);
    return button;
}

}  // namespace

PresetList::PresetList(std::shared_ptr<AppModel> model, std::function<PresetsPaneRules::Selection()> selection,
                       Actions actions, QWidget* parent)
    : QWidget(parent), model_(std::move(model)), selection_(std::move(selection)), actions_(std::move(actions)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

std::size_t PresetList::rowCount() const { return model_->settings().presets.size(); }

QRect PresetList::rowRect(std::size_t index) const {
    return QRect(0, static_cast<int>(index) * rowHeight, width(), rowHeight);
}

QSize PresetList::sizeHint() const { return QSize(480, static_cast<int>(rowCount()) * rowHeight); }
QSize PresetList::minimumSizeHint() const { return QSize(300, static_cast<int>(rowCount()) * rowHeight); }

void PresetList::refresh() {
    if (drag_ && drag_->from >= rowCount()) drag_.reset();
    updateGeometry();
    setVisible(rowCount() > 0);
    update();
}

std::optional<std::size_t> PresetList::rowAt(double y) const {
    if (y < 0) return std::nullopt;
    const auto index = static_cast<std::size_t>(y / rowHeight);
    if (index >= rowCount()) return std::nullopt;
    return index;
}

std::vector<PresetsPaneRules::RowFrame> PresetList::frames() const {
    std::vector<PresetsPaneRules::RowFrame> out;
    for (std::size_t i = 0; i < rowCount(); ++i) out.push_back({static_cast<double>(i * rowHeight), rowHeight});
    return out;
}

void PresetList::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    pressed_ = rowAt(event->position().y());
    pressPoint_ = event->position();
}

void PresetList::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_) return;
    const QPointF point = event->position();
    if (!drag_) {
        if ((point - pressPoint_).manhattanLength() < QApplication::startDragDistance()) return;
        drag_ = Drag{*pressed_, point.y(), pressPoint_.y() - static_cast<double>(*pressed_ * rowHeight)};
    }
    drag_->pointerY = point.y();
    update();
}

void PresetList::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) return;
    const std::size_t pressed = *pressed_;
    pressed_.reset();
    if (drag_) {
        const auto drag = *drag_;
        drag_.reset();
        update();
        if (actions_.dropped)
            actions_.dropped(drag.from, PresetsPaneRules::dropDestination(frames(), event->position().y()));
        return;
    }
    // A click: the row under the press, when the release is still on it.
    if (rowAt(event->position().y()) != pressed) return;
    const auto& presets = model_->settings().presets;
    if (pressed < presets.size() && actions_.clicked) actions_.clicked(presets[pressed].id);
}

void PresetList::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const auto appearance = kit::appearanceOf(this);
    const auto selected = selection_ ? selection_() : std::nullopt;
    std::vector<Preset> presets = model_->settings().presets;
    std::optional<std::size_t> floating;
    if (drag_) {
        // The others make room where the row would land.
        const auto destination = PresetsPaneRules::dropDestination(frames(), drag_->pointerY);
        const std::string draggedId = presets[drag_->from].id;
        PresetsPaneRules::move(presets, {drag_->from}, destination);
        for (std::size_t i = 0; i < presets.size(); ++i)
            if (presets[i].id == draggedId) floating = i;
    }
    QColor separator = kit::primaryText(appearance);
    separator.setAlphaF(0.08f);
    for (std::size_t i = 0; i < presets.size(); ++i) {
        const QRectF rect = rowRect(i);
        if (i > 0) painter.fillRect(QRectF(padding, rect.top(), rect.width() - 2 * padding, 0.5), separator);
        if (floating == i) continue;
        paintRow(painter, rect, presets[i], presets[i].id == selected);
    }
    if (floating) {
        const auto& preset = presets[*floating];
        const double top =
            std::clamp(drag_->pointerY - drag_->grabOffset, 0.0, std::max(0.0, height() - 1.0 * rowHeight));
        const QRectF rect(0, top, width(), rowHeight);
        const QPainterPath lifted = kit::PaintKit::roundedRect(rect.adjusted(0, 2, 0, -2), 9);
        kit::PaintKit::drawShadow(painter, lifted, QColor::fromRgbF(0, 0, 0, kit::isDark(appearance) ? 0.5f : 0.18f), 8,
                                  QPointF(0, 2));
        painter.fillPath(lifted, kit::windowColor(appearance));
        paintRow(painter, rect, preset, preset.id == selected);
    }
}

void PresetList::paintRow(QPainter& painter, const QRectF& rect, const Preset& preset, bool selected) const {
    const auto appearance = kit::appearanceOf(this);
    const auto texts = PresetsPaneRules::rowTexts(preset);
    if (selected)
        painter.fillPath(kit::PaintKit::roundedRect(rect.adjusted(0, 2, 0, -2), 9),
                         kit::Tokens::ember().withOpacity(0.12).resolve(appearance));

    // The badge: the preset's warmth behind its symbol.
    const QRectF circle(rect.left() + padding, rect.center().y() - badge / 2, badge, badge);
    QColor fill = kit::Tokens::curveColor(preset.kelvin).resolve(appearance);
    fill.setAlphaF(selected ? 0.8f : 0.25f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawEllipse(circle);
    const QColor symbolColour =
        selected ? kit::primaryText(appearance) : kit::Tokens::warmColor(preset.kelvin).resolve(appearance);
    kit::Symbols::drawCentred(painter, preset.icon, circle.center(), 13, symbolColour, QFont::DemiBold);

    // From the trailing edge: the chevron, the hotkey, the dim, the kelvin.
    double right = rect.right() - padding;
    const double chevron = kit::FontBook::pointSize(kit::TextStyle::caption2);
    {
        painter.save();
        painter.translate(right - chevron / 2, rect.center().y());
        if (selected) painter.rotate(90);
        kit::Symbols::drawCentred(painter, "chevron.right", QPointF(0, 0), chevron, tertiaryText(appearance),
                                  QFont::Bold);
        painter.restore();
    }
    right -= chevron + spacing;
    const auto text = [&](const QString& s, const QFont& font, const QColor& colour, double boxWidth,
                          Qt::Alignment alignment) {
        const double w = std::max(boxWidth, QFontMetricsF(font).horizontalAdvance(s));
        const QRectF box(right - w, rect.top(), w, rect.height());
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(box, alignment | Qt::AlignVCenter, s);
        right -= w + spacing;
    };
    if (texts.hotkey)
        text(q(*texts.hotkey), kit::FontBook::monospaced(kit::TextStyle::caption), tertiaryText(appearance), 0,
             Qt::AlignRight);
    const QFont callout = kit::FontBook::font(kit::TextStyle::callout);
    text(q(texts.dim), callout, kit::secondaryText(appearance), 40, Qt::AlignRight);
    text(q(texts.kelvin), callout, kit::secondaryText(appearance), 0, Qt::AlignRight);

    // The name, then "Built-in", in what room is left.
    double left = circle.right() + spacing;
    const QFont body = kit::FontBook::font(kit::TextStyle::body);
    const QFont caption2 = kit::FontBook::font(kit::TextStyle::caption2);
    const double builtInWidth = texts.builtIn ? QFontMetricsF(caption2).horizontalAdvance("Built-in") + spacing : 0;
    const double nameRoom = std::max(0.0, right - left - builtInWidth);
    const QString name = QFontMetricsF(body).elidedText(q(texts.name), Qt::ElideRight, nameRoom);
    painter.setFont(body);
    painter.setPen(kit::primaryText(appearance));
    painter.drawText(QRectF(left, rect.top(), nameRoom, rect.height()), Qt::AlignLeft | Qt::AlignVCenter, name);
    if (texts.builtIn) {
        left += QFontMetricsF(body).horizontalAdvance(name) + spacing;
        painter.setFont(caption2);
        painter.setPen(tertiaryText(appearance));
        painter.drawText(QRectF(left, rect.top(), builtInWidth, rect.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("Built-in"));
    }
}

PresetsPane::PresetsPane(const PaneEnvironment& environment, QWidget* parent)
    : kit::Form(parent), model_(environment.model) {
    auto* section = addSection(QStringLiteral("Presets"));
    list_ = section->addRow(
        new PresetList(model_, [this] { return selected_; },
                       {[this](const std::string& id) { clickRow(id); },
                        [this](std::size_t from, std::size_t destination) { drop(from, destination); }}));
    // The rows are the list's own, each with its padding.
    list_->setContentsMargins(0, 0, 0, 0);
    list_->setMinimumHeight(0);

    auto* controls = new QWidget;
    auto* row = new QHBoxLayout(controls);
    row->setContentsMargins(8, 0, 8, 0);  // in line with the rows' badges
    row->setSpacing(8);
    add_ = smallButton(QStringLiteral("Add"), "plus", controls);
    delete_ = smallButton(QStringLiteral("Delete"), "minus", controls);
    delete_->setDestructive(true);
    up_ = smallButton(QString(), "chevron.up", controls);
    up_->setToolTip(QStringLiteral("Move up"));
    up_->setAccessibleName(QStringLiteral("Move up"));
    down_ = smallButton(QString(), "chevron.down", controls);
    down_->setToolTip(QStringLiteral("Move down"));
    down_->setAccessibleName(QStringLiteral("Move down"));
    restore_ = smallButton(QStringLiteral("Restore defaults"), nullptr, controls);
    for (auto* b : {add_, delete_, up_, down_}) row->addWidget(b);
    row->addStretch(1);
    row->addWidget(restore_);
    section->addRow(controls);
    section->addCaption(q(PresetsPaneRules::caption));

    connect(add_, &QAbstractButton::clicked, this, [this] { addPreset(); });
    connect(delete_, &QAbstractButton::clicked, this, [this] { deleteSelected(); });
    connect(up_, &QAbstractButton::clicked, this, [this] { moveSelected(-1); });
    connect(down_, &QAbstractButton::clicked, this, [this] { moveSelected(+1); });
    connect(restore_, &QAbstractButton::clicked, this, [this] { restoreDefaults(); });

    presets_ = kit::settingField(model_, &Settings::presets);
    presets_->onChange(this, [this](const std::vector<Preset>&) { refresh(); });
}

QAbstractButton& PresetsPane::addButton() const { return *add_; }
QAbstractButton& PresetsPane::deleteButton() const { return *delete_; }
QAbstractButton& PresetsPane::moveUpButton() const { return *up_; }
QAbstractButton& PresetsPane::moveDownButton() const { return *down_; }
QAbstractButton& PresetsPane::restoreButton() const { return *restore_; }

void PresetsPane::clickRow(const std::string& id) {
    if (selected_ == id) selected_.reset();
    else selected_ = id;
    refresh();
}

void PresetsPane::changePresets(const std::function<void(std::vector<Preset>&)>& edit) {
    auto presets = presets_->value();
    edit(presets);
    presets_->set(presets);
}

void PresetsPane::addPreset() {
    Preset preset = PresetsPaneRules::newPreset(Uuid::upperCase(), model_->resolution().modeState);
    // Numbered, so --preset can tell two new presets apart.
    preset.name = PresetsPaneRules::unusedName(model_->settings().presets, preset.name);
    changePresets([&](std::vector<Preset>& presets) { presets.push_back(preset); });
    selected_ = preset.id;
    refresh();
}

void PresetsPane::deleteSelected() {
    bool deleted = false;
    changePresets(
        [&](std::vector<Preset>& presets) { deleted = PresetsPaneRules::deleteSelected(presets, selected_); });
    if (!deleted) return;
    selected_.reset();
    refresh();
}

void PresetsPane::moveSelected(int step) {
    changePresets([&](std::vector<Preset>& presets) { PresetsPaneRules::moveSelected(presets, selected_, step); });
}

void PresetsPane::drop(std::size_t from, std::size_t destination) {
    changePresets([&](std::vector<Preset>& presets) { PresetsPaneRules::move(presets, {from}, destination); });
}

void PresetsPane::restoreDefaults() {
    // The built-ins are put back into the list alone.
    Settings restored;
    restored.presets = presets_->value();
    restored.restoreBuiltInPresets();
    presets_->set(restored.presets);
}

void PresetsPane::refresh() {
    const auto& presets = model_->settings().presets;
    const auto enablement = PresetsPaneRules::enablement(presets, selected_);
    delete_->setEnabled(enablement.remove);
    up_->setEnabled(enablement.moveUp);
    down_->setEnabled(enablement.moveDown);
    list_->refresh();

    const bool shown = PresetsPaneRules::selectedIndex(presets, selected_).has_value();
    if (editor_ && (!shown || editor_->presetId() != *selected_)) {
        // A click may have led here; the old editor goes once its event is over.
        editor_->hide();
        editor_->deleteLater();
        editor_ = nullptr;
    }
    if (shown && !editor_) {
        editor_ = new PresetEditor(model_, *selected_);
        addWidget(editor_);
        editor_->show();
    }
}

QWidget* makePresetsPane(const PaneEnvironment& environment) { return new PresetsPane(environment); }

}  // namespace orvane
