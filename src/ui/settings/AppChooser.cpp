#include "ui/settings/AppChooser.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QListWidget>
#include <QPainter>
#include <QStyle>
#include <QVBoxLayout>

#include "ui/kit/Buttons.h"
#include "ui/kit/Context.h"
#include "ui/kit/Dialogs.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/Text.h"
#include "ui/views/TextField.h"

namespace orvane {

namespace {

// A theme icon by name, or a file by path; the generic program icon when neither is there.
QIcon iconOf(const platform::CatalogApp& app) {
    if (app.icon) {
        const QString name = QString::fromStdString(*app.icon);
        const QIcon icon = name.startsWith(QLatin1Char('/')) ? QIcon(name) : QIcon::fromTheme(name);
        if (!icon.isNull() && !icon.availableSizes().isEmpty()) return icon;
    }
    const QIcon generic = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    if (!generic.isNull()) return generic;
    return QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
}

}  // namespace

AppChooser::AppChooser(const QString& title, std::vector<platform::CatalogApp> apps, QWidget* parent)
    : QDialog(parent), apps_(std::move(apps)) {
    setWindowTitle(title);
    setModal(true);
    const kit::Appearance appearance = kit::appearanceOf(parent ? parent : this);
    kit::themeDialog(*this, appearance);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 16, 16, 14);
    column->setSpacing(10);
    auto* heading = new kit::Text(title, kit::FontBook::font(kit::TextStyle::body, QFont::DemiBold), this);
    column->addWidget(heading);
    search_ = new kit::TextField(QStringLiteral("Search"), this);
    connect(search_, &QLineEdit::textChanged, this, [this](const QString& text) { filter(text); });
    column->addWidget(search_);
    list_ = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setIconSize(QSize(24, 24));
    list_->setUniformItemSizes(true);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setFont(kit::FontBook::font(kit::TextStyle::body));
    for (const auto& app : apps_) {
        auto* item = new QListWidgetItem(iconOf(app), QString::fromStdString(app.name), list_);
        item->setData(Qt::UserRole, QString::fromStdString(app.id));
        item->setToolTip(QString::fromStdString(app.id));
    }
    column->addWidget(list_, 1);
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addStretch(1);
    auto* cancel = new kit::SystemButton(QStringLiteral("Cancel"), false, this);
    cancel->setLarge(true);
    add_ = new kit::SystemButton(QStringLiteral("Add"), true, this);
    add_->setLarge(true);
    add_->setEnabled(false);
    row->addWidget(cancel);
    row->addWidget(add_);
    column->addLayout(row);
    connect(cancel, &QAbstractButton::clicked, this, &QDialog::reject);
    connect(add_, &QAbstractButton::clicked, this, &QDialog::accept);
    connect(list_, &QListWidget::itemSelectionChanged, this,
            [this] { add_->setEnabled(!list_->selectedItems().isEmpty()); });
    connect(list_, &QListWidget::itemActivated, this, [this] { accept(); });
    resize(420, 480);
    search_->setFocus();
}

std::vector<std::string> AppChooser::chosen() const {
    std::vector<std::string> ids;
    for (int i = 0; i < list_->count(); ++i)
        if (list_->item(i)->isSelected() && !list_->item(i)->isHidden())
            ids.push_back(list_->item(i)->data(Qt::UserRole).toString().toStdString());
    return ids;
}

void AppChooser::filter(const QString& text) {
    for (int i = 0; i < list_->count(); ++i)
        list_->item(i)->setHidden(!list_->item(i)->text().contains(text.trimmed(), Qt::CaseInsensitive));
}

void AppChooser::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kit::windowColor(kit::appearanceOf(this)));
}

std::vector<std::string> AppChooser::ask(QWidget* parent, const QString& title,
                                         const std::vector<platform::CatalogApp>& apps) {
    AppChooser chooser(title, apps, parent);
    if (chooser.exec() != QDialog::Accepted) return {};
    return chooser.chosen();
}

}  // namespace orvane
