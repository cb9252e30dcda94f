#include "ui/kit/Form.h"

#include <QPainter>
#include <QVBoxLayout>

#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/Text.h"

namespace orvane::kit {

FormCard::FormCard(QWidget* parent) : GlassCard(FormMetrics::cardRadius, parent) {
    rows_ = new QVBoxLayout(this);
    rows_->setContentsMargins(FormMetrics::rowPaddingH, 0, FormMetrics::rowPaddingH, 0);
    rows_->setSpacing(0);
}

void FormCard::addRow(QWidget* row) {
    // Each row gets its own vertical padding, so the hairline sits half way between two.
    row->setContentsMargins(0, FormMetrics::rowPaddingV, 0, FormMetrics::rowPaddingV);
    row->setMinimumHeight(FormMetrics::rowMinHeight + 2 * FormMetrics::rowPaddingV);
    rows_->addWidget(row);
}

void FormCard::paintEvent(QPaintEvent* event) {
    GlassCard::paintEvent(event);
    QPainter painter(this);
    const Appearance appearance = appearanceOf(this);
    const QColor line = isDark(appearance) ? QColor::fromRgbF(1, 1, 1, 0.08f) : QColor::fromRgbF(0, 0, 0, 0.08f);
    bool first = true;
    for (int i = 0; i < rows_->count(); ++i) {
        QWidget* row = rows_->itemAt(i)->widget();
        if (!row || row->isHidden()) continue;
        // A caption belongs to the row above it: no hairline between them.
        const bool caption = row->property("formCaption").toBool();
        if (!first && !caption) {
            const double y = row->geometry().top();
            painter.fillRect(QRectF(FormMetrics::rowPaddingH, y - 0.25, width() - FormMetrics::rowPaddingH, 0.5), line);
        }
        first = false;
    }
}

FormSection::FormSection(const QString& title, QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    if (!title.isEmpty()) {
        title_ = new Text(title, FontBook::font(TextStyle::subheadline, QFont::DemiBold));
        title_->setContentsMargins(FormMetrics::rowPaddingH - 4, 0, 0, 0);
        column->addWidget(title_);
    }
    card_ = new FormCard;
    column->addWidget(card_);
    footnote_ = new Text({}, FontBook::font(TextStyle::caption));
    footnote_->setLevel(TextLevel::secondary);
    footnote_->setMaximumLines(6);
    footnote_->setContentsMargins(FormMetrics::rowPaddingH - 4, 0, FormMetrics::rowPaddingH - 4, 0);
    footnote_->hide();
    column->addWidget(footnote_);
}

void FormSection::setTitle(const QString& title) {
    if (title_) title_->setText(title);
}

Text* FormSection::addCaption(const QString& text) {
    auto* caption = new Text(text, FontBook::font(TextStyle::caption));
    caption->setLevel(TextLevel::secondary);
    caption->setMaximumLines(4);
    caption->setProperty("formCaption", true);
    card_->rows().addWidget(caption);
    // Tucked under the row above: only a little room below.
    caption->setContentsMargins(0, 0, 0, FormMetrics::rowPaddingV);
    return caption;
}

void FormSection::setFootnote(const QString& text) {
    footnote_->setText(text);
    footnote_->setVisible(!text.isEmpty());
}

Form::Form(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    sections_ = new QVBoxLayout(this);
    sections_->setContentsMargins(24, 20, 24, 24);
    sections_->setSpacing(FormMetrics::sectionSpacing);
    sections_->addStretch(1);
}

FormSection* Form::addSection(const QString& title) {
    auto* section = new FormSection(title);
    addWidget(section);
    return section;
}

void Form::addWidget(QWidget* widget) {
    // Before the closing stretch, so sections stay at the top.
    sections_->insertWidget(sections_->count() - 1, widget);
}

}  // namespace orvane::kit
