#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "platform/Platform.h"
#include "ui/settings/PaneEnvironment.h"

namespace orvane {

std::shared_ptr<Desktop> Desktop::system(std::shared_ptr<platform::Platform> platform) {
    auto desktop = std::make_shared<Desktop>();
    desktop->chooseSaveFile = [](QWidget* parent, const FileRequest& request) -> std::optional<std::string> {
        QFileDialog dialog(parent, request.title, QString(), request.filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.selectFile(request.proposedName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return dialog.selectedFiles().front().toStdString();
    };
    desktop->chooseOpenFile = [](QWidget* parent, const FileRequest& request) -> std::optional<std::string> {
        QFileDialog dialog(parent, request.title, QString(), request.filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return dialog.selectedFiles().front().toStdString();
    };
    desktop->confirm = [](QWidget* parent, const Confirmation& c) {
        QMessageBox box(QMessageBox::Warning, c.title, c.text, QMessageBox::NoButton, parent);
        QPushButton* yes = box.addButton(c.confirm, QMessageBox::DestructiveRole);
        box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
        box.setDefaultButton(yes);
        box.exec();
        return box.clickedButton() == yes;
    };
    desktop->copyText = [](const QString& text) { QApplication::clipboard()->setText(text); };
    desktop->openURL = [platform](const std::string& url) { return platform && platform->workspace().openURL(url); };
    return desktop;
}

}  // namespace orvane
