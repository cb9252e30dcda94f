#pragma once
// What a settings pane is built with: the model, and the desktop's dialogs and services
// (file choosers, the confirmation alert, the clipboard, opening addresses). Tests replace
// any of the desktop's functions; the window passes Desktop::system().
//
// A pane is one QWidget (usually a kit::Form) in files of its own, made by a function
// that PaneRegistry.cpp lists:
//
//     // PresetsPane.h / PresetsPane.cpp
//     class PresetsPane : public kit::Form {
//     public:
//         explicit PresetsPane(const PaneEnvironment& environment);
//     };
//     QWidget* makePresetsPane(const PaneEnvironment& environment) { return new PresetsPane(environment); }
//
//     // PaneRegistry.cpp: the one line that registers it
//     case Pane::presets: return makePresetsPane;
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QString>

class QWidget;

namespace orvane {

class AppModel;
namespace platform {
class Platform;
}

struct Desktop {
    struct FileRequest {
        QString title;
        QString proposedName;  // save only: the file name offered
        QString filter;        // as Qt writes it: "JSON (*.json)"
    };
    struct Confirmation {
        QString title;
        QString text;
        QString confirm;  // the default, destructive button ("Reset"); the other is "Cancel"
    };

    // A path, or none when the user cancelled.
    std::function<std::optional<std::string>(QWidget* parent, const FileRequest&)> chooseSaveFile;
    std::function<std::optional<std::string>(QWidget* parent, const FileRequest&)> chooseOpenFile;
    // True when the user confirmed.
    std::function<bool(QWidget* parent, const Confirmation&)> confirm;
    std::function<void(const QString& text)> copyText;
    std::function<bool(const std::string& url)> openURL;

    // QFileDialog, QMessageBox, the clipboard and the platform's workspace.
    static std::shared_ptr<Desktop> system(std::shared_ptr<platform::Platform> platform);
};

struct PaneEnvironment {
    std::shared_ptr<AppModel> model;
    std::shared_ptr<Desktop> desktop;
};

}  // namespace orvane
