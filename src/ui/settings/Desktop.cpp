#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

#include "app/DisplayIdentifier.h"
#include "platform/Platform.h"
#include "ui/hud/QtPanels.h"
#include "ui/kit/Context.h"
#include "ui/kit/Dialogs.h"
#include "ui/kit/Panel.h"
#include "ui/settings/AppChooser.h"
#include "ui/settings/PaneEnvironment.h"
#include "ui/settings/PortalFileChooser.h"

namespace orvane {

namespace {

// Where a chooser starts when the caller names no folder: the user's documents folder
// (never the last folder of another chooser), else the home folder.
QString startFolder(const QString& asked) {
    if (!asked.isEmpty()) return asked;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir(documents).exists()) return documents;
    return QDir::homePath();
}

// The parent's window as the portal names it, so its chooser stays on top of it.
QString portalParent(QWidget* parent) {
    if (!parent || !kit::windowsAreX11()) return {};
    return QStringLiteral("x11:%1").arg(parent->window()->winId(), 0, 16);
}

kit::Appearance appearanceFor(QWidget* parent) {
    return parent ? kit::appearanceOf(parent) : kit::defaultContext().appearance;
}

// Qt's own dialog, not the desktop style's, in the appearance's palette.
void prepare(QFileDialog& dialog, QWidget* parent) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    kit::themeDialog(dialog, appearanceFor(parent));
}

PortalFileChooser::Request portalRequest(QWidget* parent, const Desktop::FileRequest& request, bool save,
                                         bool multiple) {
    PortalFileChooser::Request r;
    r.title = request.title;
    r.save = save;
    r.multiple = multiple;
    r.folder = startFolder(request.directory);
    r.proposedName = request.proposedName;
    r.filters = PortalFileChooser::filtersOf(request.filter);
    r.parentWindow = portalParent(parent);
    return r;
}

}  // namespace

std::shared_ptr<Desktop> Desktop::system(std::shared_ptr<platform::Platform> platform) {
    auto desktop = std::make_shared<Desktop>();
    desktop->chooseSaveFile = [](QWidget* parent, const FileRequest& request) -> std::optional<std::string> {
        if (const auto chosen = PortalFileChooser::choose(portalRequest(parent, request, true, false))) {
            if (chosen->empty()) return std::nullopt;
            return chosen->front();
        }
        const QString folder = startFolder(request.directory);
        QFileDialog dialog(parent, request.title, folder, request.filter);
        prepare(dialog, parent);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.selectFile(QDir(folder).filePath(request.proposedName));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return dialog.selectedFiles().front().toStdString();
    };
    desktop->chooseOpenFile = [](QWidget* parent, const FileRequest& request) -> std::optional<std::string> {
        if (const auto chosen = PortalFileChooser::choose(portalRequest(parent, request, false, false))) {
            if (chosen->empty()) return std::nullopt;
            return chosen->front();
        }
        QFileDialog dialog(parent, request.title, startFolder(request.directory), request.filter);
        prepare(dialog, parent);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return dialog.selectedFiles().front().toStdString();
    };
    desktop->chooseOpenFiles = [](QWidget* parent, const FileRequest& request) {
        if (auto chosen = PortalFileChooser::choose(portalRequest(parent, request, false, true)))
            return std::move(*chosen);
        QFileDialog dialog(parent, request.title, startFolder(request.directory), request.filter);
        prepare(dialog, parent);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFiles);
        std::vector<std::string> paths;
        if (dialog.exec() != QDialog::Accepted) return paths;
        for (const QString& file : dialog.selectedFiles()) paths.push_back(file.toStdString());
        return paths;
    };
    desktop->chooseApplications = [](QWidget* parent, const QString& title,
                                     const std::vector<platform::CatalogApp>& apps) {
        return AppChooser::ask(parent, title, apps);
    };
    desktop->confirm = [](QWidget* parent, const Confirmation& c) {
        kit::ConfirmDialog dialog(c.title, c.text, c.confirm, parent);
        return dialog.exec() == QDialog::Accepted;
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
