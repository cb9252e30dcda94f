#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "app/DisplayIdentifier.h"
#include "platform/Platform.h"
#include "ui/hud/QtPanels.h"
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
    desktop->chooseOpenFiles = [](QWidget* parent, const FileRequest& request) {
        QFileDialog dialog(parent, request.title, request.directory, request.filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFiles);
        std::vector<std::string> paths;
        if (dialog.exec() != QDialog::Accepted) return paths;
        for (const QString& file : dialog.selectedFiles()) paths.push_back(file.toStdString());
        return paths;
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
    if (platform && platform->scheduler()) {
        // The identifier's panels live as long as the desktop that shows them.
        struct Identifier {
            QtPanels panels;
            std::shared_ptr<platform::Scheduler> scheduler;
            app::DisplayIdentifier identifier;
            explicit Identifier(std::shared_ptr<platform::Scheduler> s)
                : scheduler(std::move(s)), identifier(panels, *scheduler) {}
        };
        auto identifier = std::make_shared<Identifier>(platform->scheduler());
        desktop->identifyDisplay = [identifier](const DisplayInfo& display) { identifier->identifier.flash(display); };
    }
    return desktop;
}

}  // namespace orvane
