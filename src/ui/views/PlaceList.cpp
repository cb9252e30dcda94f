#include "ui/views/PlaceList.h"

#include <QAbstractListModel>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QVariant>

#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Tokens.h"

namespace orvane {

namespace {

constexpr const char* appliedAppearance = "orvanePlaceListAppearance";

QString rgba(QColor c) {
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alphaF());
}

QColor at(QColor c, double alpha) {
    c.setAlphaF(static_cast<float>(alpha));
    return c;
}

// Kit views pick their appearance when they paint; the list's style sheet changes only
// when the appearance did.
void followAppearance(QListView& list) {
    const kit::Appearance appearance = kit::appearanceOf(&list);
    const QVariant last = list.property(appliedAppearance);
    if (last.isValid() && last.toInt() == static_cast<int>(appearance)) return;
    list.setProperty(appliedAppearance, static_cast<int>(appearance));
    const bool dark = kit::isDark(appearance);
    const QColor text = kit::primaryText(appearance);
    // A thin overlay-like scroll bar instead of the platform's boxed one.
    list.setStyleSheet(QStringLiteral("QListView{background:%1;border:1px solid %2;border-radius:8px;}"
                                      "QScrollBar:vertical{background:transparent;width:8px;margin:4px 2px 4px 0;}"
                                      "QScrollBar::handle:vertical{background:%3;border-radius:3px;min-height:24px;}"
                                      "QScrollBar::add-line,QScrollBar::sub-line{height:0;}"
                                      "QScrollBar::add-page,QScrollBar::sub-page{background:transparent;}")
                           .arg(rgba(at(text, dark ? 0.05 : 0.03)), rgba(at(text, dark ? 0.16 : 0.14)),
                                rgba(at(text, dark ? 0.3 : 0.25))));
}

}  // namespace

class PlaceList::Model final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
        const Row& row = rows.at(static_cast<std::size_t>(index.row()));
        return QString::fromStdString(row.title);
    }
    void replace(std::vector<Row> next) {
        beginResetModel();
        rows = std::move(next);
        endResetModel();
    }
    std::vector<Row> rows;
};

class PlaceList::Delegate final : public QStyledItemDelegate {
public:
    explicit Delegate(PlaceList& list) : QStyledItemDelegate(&list), list_(list) {}

    static constexpr double inset = 10;
    static constexpr double checkSize = 13;

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override {
        const Row& row = list_.rows().at(static_cast<std::size_t>(index.row()));
        return {100, row.subtitle.empty() ? 28 : 40};
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const Row& row = list_.rows().at(static_cast<std::size_t>(index.row()));
        const kit::Appearance appearance = kit::appearanceOf(&list_);
        const QColor primary = kit::primaryText(appearance);
        const QColor secondary = kit::secondaryText(appearance);
        const QRectF box = QRectF(option.rect).adjusted(inset, 0, -inset, 0);
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        if (option.state & QStyle::State_MouseOver) {
            QColor hover = primary;
            hover.setAlphaF(0.05f);
            p->fillRect(option.rect, hover);
        }
        if (index.row() > 0) {  // a hairline between rows
            QColor line = primary;
            line.setAlphaF(0.07f);
            p->setPen(QPen(line, 0.5));
            p->drawLine(QPointF(box.left(), option.rect.top() + 0.25),
                        QPointF(box.right() + inset, option.rect.top() + 0.25));
        }

        // Trailing: the checkmark's place is always kept, so details line up.
        double right = box.right();
        if (row.checked) {
            const QRectF check(right - checkSize, box.center().y() - checkSize / 2, checkSize, checkSize);
            kit::Symbols::draw(*p, "checkmark", check, kit::Tokens::emberText().resolve(appearance));
        }
        right -= checkSize + 8;
        const QFont caption = kit::FontBook::font(kit::TextStyle::caption);
        const QFontMetricsF captionMetrics(caption);
        const QString detail = QString::fromStdString(row.detail);
        const double detailWidth = captionMetrics.horizontalAdvance(detail);
        p->setFont(caption);
        p->setPen(secondary);
        p->drawText(QRectF(right - detailWidth, box.top(), detailWidth, box.height()),
                    Qt::AlignRight | Qt::AlignVCenter, detail);
        right -= detailWidth + 10;

        // Leading: the title (and what stands beside it), the second line under it.
        const QFont body = kit::FontBook::font(kit::TextStyle::body);
        const QFontMetricsF bodyMetrics(body);
        const double lineHeight = bodyMetrics.height();
        const double titleTop = row.subtitle.empty() ? box.center().y() - lineHeight / 2
                                                     : box.center().y() - (lineHeight + captionMetrics.height()) / 2;
        const double available = std::max(0.0, right - box.left());
        const QString title = bodyMetrics.elidedText(QString::fromStdString(row.title), Qt::ElideRight, available);
        p->setFont(body);
        p->setPen(primary);
        p->drawText(QRectF(box.left(), titleTop, available, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, title);
        if (!row.beside.empty()) {
            const double x = box.left() + bodyMetrics.horizontalAdvance(title) + 6;
            p->setPen(secondary);
            p->drawText(QRectF(x, titleTop, std::max(0.0, right - x), lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                        QString::fromStdString(row.beside));
        }
        if (!row.subtitle.empty()) {
            p->setFont(caption);
            p->setPen(secondary);
            p->drawText(QRectF(box.left(), titleTop + lineHeight, available, captionMetrics.height()),
                        Qt::AlignLeft | Qt::AlignVCenter,
                        captionMetrics.elidedText(QString::fromStdString(row.subtitle), Qt::ElideRight, available));
        }
        p->restore();
    }

private:
    const PlaceList& list_;
};

PlaceList::PlaceList(std::function<void(const std::string& key)> pick, QWidget* parent)
    : QListView(parent), model_(new Model(this)), pick_(std::move(pick)) {
    setModel(model_);
    setItemDelegate(new Delegate(*this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setMouseTracking(true);
    setFrameShape(QFrame::NoFrame);
    setFixedHeight(170);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(this, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { this->pick(static_cast<std::size_t>(index.row())); });
}

PlaceList::~PlaceList() = default;

void PlaceList::setRows(std::vector<Row> rows) { model_->replace(std::move(rows)); }

const std::vector<PlaceList::Row>& PlaceList::rows() const { return model_->rows; }

void PlaceList::pick(std::size_t index) {
    if (index >= model_->rows.size() || !pick_) return;
    const std::string key = model_->rows[index].key;  // the pick may replace the rows
    pick_(key);
}

QRect PlaceList::rowRect(std::size_t index) const { return visualRect(model_->index(static_cast<int>(index))); }

void PlaceList::paintEvent(QPaintEvent* event) {
    followAppearance(*this);
    QListView::paintEvent(event);
}

}  // namespace orvane
