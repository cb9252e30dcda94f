#include "ui/hud/DisplayIdentifierView.h"

#include <QFontMetricsF>
#include <QPainter>

#include "app/DisplayIdentifier.h"
#include "ui/hud/PanelSurface.h"
#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/Tokens.h"

namespace orvane {

DisplayIdentifierView::DisplayIdentifierView(QString name, bool isBuiltIn, QWidget* parent)
    : QWidget(parent), name_(std::move(name)), isBuiltIn_(isBuiltIn) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(panelWidth, panelHeight);
    setAccessibleName(name_ + QStringLiteral(", ") + kind());
}

QString DisplayIdentifierView::kind() const { return QString::fromUtf8(app::DisplayIdentifier::kindText(isBuiltIn_)); }

double DisplayIdentifierView::nameFontSize() const {
    const double room = panelWidth - 2 * padding;
    for (double size = nameSize; size > 18; size -= 2)
        if (QFontMetricsF(kit::FontBook::system(size, QFont::Bold)).horizontalAdvance(name_) <= room) return size;
    return 18;
}

void DisplayIdentifierView::paintEvent(QPaintEvent*) {
    const kit::Appearance appearance = kit::appearanceOf(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    hud::paintPanelSurface(painter, QRectF(rect()), cornerRadius, appearance);

    const QFont nameFont = kit::FontBook::system(nameFontSize(), QFont::Bold);
    const QFont kindFont = kit::FontBook::font(kit::TextStyle::title3);
    const QFontMetricsF nameMetrics(nameFont), kindMetrics(kindFont);
    const double room = width() - 2 * padding;
    constexpr double spacing = 8;
    const double block = nameMetrics.height() + spacing + kindMetrics.height();
    const double top = (height() - block) / 2;
    painter.setFont(nameFont);
    painter.setPen(kit::primaryText(appearance));
    painter.drawText(QRectF(padding, top, room, nameMetrics.height()), Qt::AlignCenter,
                     nameMetrics.elidedText(name_, Qt::ElideRight, room));
    painter.setFont(kindFont);
    painter.setPen(kit::secondaryText(appearance));
    painter.drawText(QRectF(padding, top + nameMetrics.height() + spacing, room, kindMetrics.height()), Qt::AlignCenter,
                     kind());
}

}  // namespace orvane
