#include "ui/views/StatusBanner.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "ui/kit/Buttons.h"
#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/Glass.h"
#include "ui/kit/PaintKit.h"
#include "ui/kit/SymbolView.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Text.h"

namespace orvane::kit {

namespace Rules = StatusBannerRules;

StatusBanner::StatusBanner(std::shared_ptr<AppModel> model, QWidget* parent)
    : QWidget(parent), model_(std::move(model), [this](AppModel::Property) { rebuild(); }) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    rebuild();
}

bool StatusBanner::hasContent(const AppModel& model) { return Rules::hasContent(Rules::inputFrom(model)); }

void StatusBanner::rebuild() {
    auto notices = Rules::notices(Rules::inputFrom(model_.model()));
    if (notices == notices_ && rows_.size() == notices_.size()) return;
    notices_ = std::move(notices);
    // A row may be going away from inside its own button's click: let the event finish.
    for (auto* row : rows_) {
        row->hide();
        row->deleteLater();
    }
    rows_.clear();
    AppModel* m = &model_.model();
    for (const auto& notice : notices_) {
        std::function<void()> action;
        if (notice.actionTitle) action = [m, kind = notice.kind] { Rules::act(*m, kind); };
        std::function<void()> dismiss;
        if (notice.dismissible) dismiss = [m] { Rules::dismissNightShift(*m); };
        auto* row = new NoticeRow(notice, std::move(action), std::move(dismiss));
        layout()->addWidget(row);
        rows_.push_back(row);
    }
    updateGeometry();
}

NoticeRow::NoticeRow(const Rules::Notice& notice, std::function<void()> action, std::function<void()> dismiss,
                     QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 6, 8, 6);
    row->setSpacing(8);
    auto* symbol = new SymbolView(notice.symbol, 13);
    symbol->setColour(Tokens::emberText());
    row->addWidget(symbol);
    auto* text = new Text(QString::fromStdString(notice.text), FontBook::font(TextStyle::caption, QFont::Medium));
    text->setMaximumLines(2);
    text->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    row->addWidget(text, 1);
    if (notice.actionTitle && action) {
        action_ = new SystemButton(QString::fromStdString(*notice.actionTitle), false);
        action_->setFont(FontBook::font(TextStyle::caption, QFont::DemiBold));
        connect(action_, &QAbstractButton::clicked, this, [action = std::move(action)] { action(); });
        row->addWidget(action_);
    }
    if (dismiss) {
        dismiss_ = new PressableButton;
        dismiss_->setContentSize(QSizeF(20, 20));
        dismiss_->setToolTip(QStringLiteral("Dismiss"));
        dismiss_->setAccessibleName(QStringLiteral("Dismiss"));
        dismiss_->setLabelPainter([](QPainter& painter, const QRectF& box, Appearance appearance) {
            Symbols::drawCentred(painter, "xmark", box.center(), FontBook::pointSize(TextStyle::caption2) * 0.9,
                                 secondaryText(appearance), QFont::Bold);
        });
        connect(dismiss_, &QAbstractButton::clicked, this, [dismiss = std::move(dismiss)] { dismiss(); });
        row->addWidget(dismiss_);
    }
}

void NoticeRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    glassSurface(painter, PaintKit::capsule(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5)), appearanceOf(this));
}

}  // namespace orvane::kit
