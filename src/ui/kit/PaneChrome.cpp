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
    labels_ = new QVBoxLayout;
    labels_->setSpacing(2);
    title_ = new Text(title, FontBook::font(TextStyle::body));
    labels_->addWidget(title_);
    row->addLayout(labels_, 1);
    setSubtitle(std::move(subtitle));
    if (content_) row->addWidget(content_, 0, Qt::AlignVCenter | Qt::AlignRight);
}

void SettingRow::setTitle(const QString& title) { title_->setText(title); }

void SettingRow::setTitleLines(int lines) { title_->setMaximumLines(lines); }

void SettingRow::setSubtitle(std::optional<QString> subtitle) {
    if (!subtitle) {
        delete subtitle_;
        subtitle_ = nullptr;
        return;
    }
    if (!subtitle_) {
        subtitle_ = new Text({}, FontBook::font(TextStyle::callout));
        subtitle_->setLevel(TextLevel::secondary);
        // Long explanations wrap under the title instead of pushing the control away.
        subtitle_->setMaximumLines(6);
        labels_->addWidget(subtitle_);
    }
    subtitle_->setText(*subtitle);
}

}  // namespace orvane::kit
