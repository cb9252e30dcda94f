#include "ui/kit/PaneChrome.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/kit/FontBook.h"
#include "ui/kit/Text.h"

namespace orvane::kit {

PaneHeader::PaneHeader(const QString& title, const QString& subtitle, QWidget* icon, QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 12, 0, 12);
    column->setSpacing(8);
    if (icon) column->addWidget(icon, 0, Qt::AlignHCenter);
    title_ = new Text(title, FontBook::font(TextStyle::title2, QFont::Bold));
    title_->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    column->addWidget(title_, 0, Qt::AlignHCenter);
    subtitle_ = new Text(subtitle, FontBook::font(TextStyle::callout));
    subtitle_->setLevel(TextLevel::secondary);
    subtitle_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    subtitle_->setMaximumLines(4);
    const double natural = QFontMetricsF(FontBook::font(TextStyle::callout)).horizontalAdvance(subtitle) + 2;
    subtitle_->setFixedTextWidth(std::min(420.0, natural));
    column->addWidget(subtitle_, 0, Qt::AlignHCenter);
    // One element for assistive technology, its label the children's.
    setAccessibleName(title + QStringLiteral(", ") + subtitle);
}

SettingRow::SettingRow(const QString& title, std::optional<QString> subtitle, QWidget* content, QWidget* parent)
    : QWidget(parent), content_(content) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    auto* labels = new QVBoxLayout;
    labels->setSpacing(2);
    title_ = new Text(title, FontBook::font(TextStyle::body));
    labels->addWidget(title_);
    if (subtitle) {
        subtitle_ = new Text(*subtitle, FontBook::font(TextStyle::callout));
        subtitle_->setLevel(TextLevel::secondary);
        subtitle_->setMaximumLines(3);  // a long caption wraps beside its control
        labels->addWidget(subtitle_);
    }
    row->addLayout(labels, 1);
    if (content_) row->addWidget(content_, 0, Qt::AlignVCenter | Qt::AlignRight);
}

}  // namespace orvane::kit
