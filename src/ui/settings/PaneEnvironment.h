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
#include <vector>

#include <QString>

#include "platform/AppCatalog.h"

class QWidget;

namespace orvane {

class AppModel;
struct Capabilities;
struct DisplayInfo;
namespace platform {
class Platform;
}

struct Desktop {
    struct FileRequest {
        QString title;
        QString proposedName;  // save only: the file name offered
        QString filter;        // as Qt writes it: "JSON (*.json)"
        QString directory{};   // where the chooser starts; empty: the toolkit's choice
    };
    struct Confirmation {
        QString title;
        QString text;
        QString confirm;  // the default, destructive button ("Reset"); the other is "Cancel"
    };

    // A path, or none when the user cancelled.
    std::function<std::optional<std::string>(QWidget* parent, const FileRequest&)> chooseSaveFile;
    std::function<std::optional<std::string>(QWidget* parent, const FileRequest&)> chooseOpenFile;
    // Several existing files; none when the user cancelled.
    std::function<std::vector<std::string>(QWidget* parent, const FileRequest&)> chooseOpenFiles;
    // Installed applications by name and icon; the identifiers picked, none when cancelled.
    std::function<std::vector<std::string>(QWidget* parent, const QString& title,
                                           const std::vector<platform::CatalogApp>& apps)>
        chooseApplications;
    // True when the user confirmed.
    std::function<bool(QWidget* parent, const Confirmation&)> confirm;
    std::function<void(const QString& text)> copyText;
    std::function<bool(const std::string& url)> openURL;
    // The display identifier's label on that display, for two seconds.
    std::function<void(const DisplayInfo& display)> identifyDisplay;

    // The desktop's file-chooser portal where it has one, else QFileDialog in the
    // appearance's palette (starting in the documents folder unless asked otherwise); the
    // kit's application chooser and confirmation; the clipboard and the platform's workspace.
    static std::shared_ptr<Desktop> system(std::shared_ptr<platform::Platform> platform);
};

struct PaneEnvironment {
    std::shared_ptr<AppModel> model;
    std::shared_ptr<Desktop> desktop;

    // What this computer can do: the one place a pane asks whether a control can work
    // (announced by the model as its `capabilities` property).
    const Capabilities& capabilities() const;
};

}  // namespace orvane
