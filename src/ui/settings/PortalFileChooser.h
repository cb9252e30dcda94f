#pragma once
// Choosing files through the desktop's file-chooser portal (org.freedesktop.portal.
// FileChooser), so the chooser is the desktop's own, in its appearance. The call waits in
// a local event loop, so the program's windows keep painting while the chooser is up.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QString>

namespace orvane::platform::linuxsys {
class DBusConnection;
}

namespace orvane::PortalFileChooser {

struct Request {
    QString title;
    bool save = false;
    bool multiple = false;
    QString folder;        // where it starts; empty: the portal's choice
    QString proposedName;  // a save's file name
    // Filters as the portal takes them: a name and its glob patterns.
    std::vector<std::pair<QString, std::vector<QString>>> filters;
    QString parentWindow;  // "x11:<hex id>", or empty
};

// Filters from Qt's filter text ("JSON (*.json);;All (*)").
std::vector<std::pair<QString, std::vector<QString>>> filtersOf(const QString& qtFilter);

// None: no file-chooser portal answers on the bus, or the request is an open in a folder
// and the portal is older than version 4, which cannot start an open there (the caller
// shows a dialog of its own). Else the chosen local paths, empty when the user cancelled.
// `bus` absent: the session bus.
std::optional<std::vector<std::string>> choose(const Request& request,
                                               platform::linuxsys::DBusConnection* bus = nullptr);

}  // namespace orvane::PortalFileChooser
