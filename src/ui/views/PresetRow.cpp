#include "ui/views/PresetRow.h"

#include <QHBoxLayout>
#include <QScrollArea>

#include "ui/kit/Context.h"
#include "ui/kit/PresetButton.h"
#include "ui/kit/PresetRules.h"

namespace orvane::kit {

namespace {

bool sameShown(const std::vector<Preset>& a, const std::vector<Preset>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].id != b[i].id || a[i].name != b[i].name || a[i].kelvin != b[i].kelvin || a[i].dim != b[i].dim ||
            a[i].icon != b[i].icon)
            return false;
    return true;
}

}  // namespace

PresetRow::PresetRow(std::shared_ptr<AppModel> model, QWidget* parent)
    : QWidget(parent), model_(std::move(model), [this](AppModel::Property p) {
          if (p == AppModel::Property::settings) rebuild();
          refresh();
      }) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    rebuild();
    refresh();
}

void PresetRow::editPresets() { notificationsOf(this).post(Notifications::openSettingsPane, std::string("presets")); }

void PresetRow::rebuild() {
    auto shown = PresetRules::shown(model_.model().settings().presets);
    if (strip_ && sameShown(shown, shown_)) return;
    shown_ = std::move(shown);
    // The scroll area owns the strip when there is one. A click may have led here: the old
    // buttons go once their event is over.
    QWidget* old = scroll_ ? static_cast<QWidget*>(scroll_) : strip_;
    if (old) {
        old->hide();
        old->deleteLater();
    }
    scroll_ = nullptr;
    strip_ = new QWidget;
    strip_->setAttribute(Qt::WA_TranslucentBackground);
    auto* row = new QHBoxLayout(strip_);
    row->setSpacing(4);
    buttons_.clear();
    AppModel* m = &model_.model();
    for (const auto& preset : shown_) {
        auto* button = new PresetButton(preset);
        connect(button, &QAbstractButton::clicked, this, [this, m, preset] {
            m->setWarmth(preset.kelvin, preset.dim);
            if (m->settings().sounds) contextOf(this).playSound("Pop");
        });
        button->onEditPresets = [this] { editPresets(); };
        row->addWidget(button, 1, Qt::AlignTop);
        buttons_.push_back(button);
    }
    scrolling_ = PresetRules::scrolls(shown_.size());
    if (scrolling_) {
        row->setContentsMargins(0, 4, 0, 4);
        for (auto* b : buttons_) b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        scroll_ = new QScrollArea;
        scroll_->setFrameShape(QFrame::NoFrame);
        scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll_->setWidgetResizable(false);
        scroll_->setAttribute(Qt::WA_TranslucentBackground);
        scroll_->viewport()->setAutoFillBackground(false);
        scroll_->setWidget(strip_);
        strip_->adjustSize();
        scroll_->setFixedHeight(strip_->sizeHint().height());
        layout()->addWidget(scroll_);
    } else {
        row->setContentsMargins(0, 0, 0, 0);
        layout()->addWidget(strip_);
    }
    updateGeometry();
}

void PresetRow::refresh() {
    const AppModel& m = model_.model();
    for (auto* button : buttons_)
        button->setCurrent(PresetRules::isCurrent(button->preset(), m.settings().enabled, m.resolution().modeState));
}

}  // namespace orvane::kit
