#include "ui/settings/PortalFileChooser.h"

#include <atomic>
#include <memory>

#include <QEventLoop>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>

#include "platform/linux/DBusConnection.h"

namespace orvane::PortalFileChooser {

namespace {

using platform::linuxsys::DBusConnection;
using platform::linuxsys::DBusError;
using platform::linuxsys::DBusObject;

const DBusObject chooser{"org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
                         "org.freedesktop.portal.FileChooser"};

// The first version of the interface whose OpenFile takes a starting folder.
constexpr std::uint32_t openFolderVersion = 4;

int appendString(sd_bus_message* m, const QString& s) { return sd_bus_message_append(m, "s", s.toUtf8().constData()); }

// One a{sv} entry of a string.
int optionString(sd_bus_message* m, const char* key, const QString& value) {
    int r = sd_bus_message_open_container(m, 'e', "sv");
    if (r >= 0) r = sd_bus_message_append(m, "s", key);
    if (r >= 0) r = sd_bus_message_append(m, "v", "s", value.toUtf8().constData());
    if (r >= 0) r = sd_bus_message_close_container(m);
    return r;
}

int optionBool(sd_bus_message* m, const char* key, bool value) {
    int r = sd_bus_message_open_container(m, 'e', "sv");
    if (r >= 0) r = sd_bus_message_append(m, "s", key);
    if (r >= 0) r = sd_bus_message_append(m, "v", "b", static_cast<int>(value));
    if (r >= 0) r = sd_bus_message_close_container(m);
    return r;
}

// A path as the portal takes folders: bytes with their terminating NUL.
int optionPath(sd_bus_message* m, const char* key, const QString& path) {
    const QByteArray bytes = path.toLocal8Bit();
    int r = sd_bus_message_open_container(m, 'e', "sv");
    if (r >= 0) r = sd_bus_message_append(m, "s", key);
    if (r >= 0) r = sd_bus_message_open_container(m, 'v', "ay");
    if (r >= 0) r = sd_bus_message_append_array(m, 'y', bytes.constData(), static_cast<size_t>(bytes.size()) + 1);
    if (r >= 0) r = sd_bus_message_close_container(m);
    if (r >= 0) r = sd_bus_message_close_container(m);
    return r;
}

// One filter, (sa(us)): a name and glob patterns (kind 0).
int appendFilter(sd_bus_message* m, const std::pair<QString, std::vector<QString>>& filter) {
    int r = sd_bus_message_open_container(m, 'r', "sa(us)");
    if (r >= 0) r = appendString(m, filter.first);
    if (r >= 0) r = sd_bus_message_open_container(m, 'a', "(us)");
    for (const QString& glob : filter.second)
        if (r >= 0) r = sd_bus_message_append(m, "(us)", 0u, glob.toUtf8().constData());
    if (r >= 0) r = sd_bus_message_close_container(m);
    if (r >= 0) r = sd_bus_message_close_container(m);
    return r;
}

int optionFilters(sd_bus_message* m, const Request& request) {
    int r = sd_bus_message_open_container(m, 'e', "sv");
    if (r >= 0) r = sd_bus_message_append(m, "s", "filters");
    if (r >= 0) r = sd_bus_message_open_container(m, 'v', "a(sa(us))");
    if (r >= 0) r = sd_bus_message_open_container(m, 'a', "(sa(us))");
    for (const auto& filter : request.filters)
        if (r >= 0) r = appendFilter(m, filter);
    if (r >= 0) r = sd_bus_message_close_container(m);
    if (r >= 0) r = sd_bus_message_close_container(m);
    if (r >= 0) r = sd_bus_message_close_container(m);
    return r;
}

// The handle the portal will answer on: the request path made of our unique name and token.
std::string handlePath(DBusConnection& bus, const std::string& token) {
    const char* unique = nullptr;
    if (sd_bus_get_unique_name(bus.get(), &unique) < 0 || !unique) return {};
    std::string sender = unique[0] == ':' ? unique + 1 : unique;
    for (char& c : sender)
        if (c == '.') c = '_';
    return "/org/freedesktop/portal/desktop/request/" + sender + "/" + token;
}

// The "uris" of a Response's results.
std::vector<std::string> pathsOf(sd_bus_message* results) {
    std::vector<std::string> paths;
    if (sd_bus_message_enter_container(results, 'a', "{sv}") < 0) return paths;
    while (sd_bus_message_enter_container(results, 'e', "sv") > 0) {
        const char* key = nullptr;
        if (sd_bus_message_read(results, "s", &key) < 0) break;
        if (key && std::string(key) == "uris" && sd_bus_message_enter_container(results, 'v', "as") > 0) {
            if (const auto uris = platform::linuxsys::DBusMessage::readStrings(results))
                for (const auto& uri : *uris) {
                    const QUrl url(QString::fromStdString(uri));
                    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
                }
            sd_bus_message_exit_container(results);
        } else {
            sd_bus_message_skip(results, "v");
        }
        sd_bus_message_exit_container(results);
    }
    sd_bus_message_exit_container(results);
    return paths;
}

}  // namespace

std::vector<std::pair<QString, std::vector<QString>>> filtersOf(const QString& qtFilter) {
    std::vector<std::pair<QString, std::vector<QString>>> filters;
    static const QRegularExpression named(QStringLiteral("^(.*)\\(([^()]*)\\)\\s*$"));
    for (const QString& part : qtFilter.split(QStringLiteral(";;"), Qt::SkipEmptyParts)) {
        const auto match = named.match(part.trimmed());
        const QString name = match.hasMatch() ? match.captured(1).trimmed() : part.trimmed();
        const QString globs = match.hasMatch() ? match.captured(2) : part.trimmed();
        std::vector<QString> patterns;
        for (const QString& glob : globs.split(QLatin1Char(' '), Qt::SkipEmptyParts)) patterns.push_back(glob);
        if (!patterns.empty()) filters.emplace_back(name.isEmpty() ? globs : name, std::move(patterns));
    }
    return filters;
}

std::optional<std::vector<std::string>> choose(const Request& request, DBusConnection* given) {
    std::unique_ptr<DBusConnection> own;
    DBusConnection* bus = given;
    if (!bus) {
        DBusError error;
        own = DBusConnection::open(DBusConnection::Bus::session, error);
        bus = own.get();
    }
    if (!bus) return std::nullopt;
    std::uint32_t version = 0;
    if (bus->getProperty(chooser, "version", 'u', &version)) return std::nullopt;
    // Before version 4 the portal drops current_folder from an open and starts in its
    // recent files; the caller's own dialog starts where it was asked to.
    if (!request.save && !request.folder.isEmpty() && version < openFolderVersion) return std::nullopt;

    static std::atomic<int> counter{0};
    const std::string token = "orvane" + std::to_string(++counter);
    const std::string handle = handlePath(*bus, token);
    if (handle.empty()) return std::nullopt;
    std::optional<std::vector<std::string>> answer;
    // Subscribed before the call, so a quick answer is not missed.
    auto match = bus->matchSignal(nullptr, handle.c_str(), "org.freedesktop.portal.Request", "Response",
                                  [&answer](sd_bus_message* m) {
                                      std::uint32_t response = 2;
                                      if (sd_bus_message_read(m, "u", &response) < 0) response = 2;
                                      answer = response == 0 ? pathsOf(m) : std::vector<std::string>{};
                                  });
    if (!match) return std::nullopt;
    const auto reply = bus->call(
        chooser, request.save ? "SaveFile" : "OpenFile",
        [&](sd_bus_message* m) {
            int r = appendString(m, request.parentWindow);
            if (r >= 0) r = appendString(m, request.title);
            if (r >= 0) r = sd_bus_message_open_container(m, 'a', "{sv}");
            if (r >= 0) r = optionString(m, "handle_token", QString::fromStdString(token));
            if (r >= 0) r = optionBool(m, "modal", true);
            if (r >= 0 && !request.save) r = optionBool(m, "multiple", request.multiple);
            if (r >= 0 && !request.filters.empty()) r = optionFilters(m, request);
            if (r >= 0 && request.save && !request.proposedName.isEmpty())
                r = optionString(m, "current_name", request.proposedName);
            if (r >= 0 && !request.folder.isEmpty()) r = optionPath(m, "current_folder", request.folder);
            if (r >= 0) r = sd_bus_message_close_container(m);
            return r;
        },
        // The call returns at once with the request's handle; the choice comes as a signal.
        30'000'000);
    if (!reply) return std::nullopt;
    // A portal older than handle tokens answers on a path of its own.
    platform::linuxsys::DBusSlot otherMatch;
    const char* answeredAt = nullptr;
    if (reply.message.read("o", &answeredAt) && answeredAt && handle != answeredAt)
        otherMatch = bus->matchSignal(nullptr, answeredAt, "org.freedesktop.portal.Request", "Response",
                                      [&answer](sd_bus_message* m) {
                                          std::uint32_t response = 2;
                                          if (sd_bus_message_read(m, "u", &response) < 0) response = 2;
                                          answer = response == 0 ? pathsOf(m) : std::vector<std::string>{};
                                      });

    // Wait for the answer on the program's own loop, so its windows keep painting.
    QEventLoop loop;
    QSocketNotifier readable(bus->fd(), QSocketNotifier::Read);
    bool lost = false;
    const auto pump = [&] {
        if (bus->processPending()) lost = true;
        if (answer || lost) loop.quit();
    };
    QObject::connect(&readable, &QSocketNotifier::activated, &loop, pump);
    // sd-bus may hold messages it read during the call; and a lost wake-up costs a tick.
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, pump);
    tick.start(200);
    pump();
    if (!answer && !lost) loop.exec();
    if (!answer) return std::vector<std::string>{};
    return answer;
}

}  // namespace orvane::PortalFileChooser
