#include "platform/linux/XdgAppCatalog.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <set>
#include <system_error>

#include "platform/DesktopEntry.h"

namespace orvane::platform::linuxsys {

namespace {

std::string lowered(std::string s) {
    for (auto& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool isApplication(const DesktopEntry& entry) {
    return entry.value("Type") == "Application" && entry.value("Hidden") != "true";
}

bool isDirectory(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

// What can change an applications folder's entries, and the folder going away.
constexpr std::uint32_t folderEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF;
// In the nearest parent of a folder that is not there yet: a folder on the way appearing.
constexpr std::uint32_t parentEvents = IN_CREATE | IN_MOVED_TO;

// One inotify instance over the folders; a relevant event re-arms the settle timer, whose
// firing tells the change.
class FolderWatch {
public:
    FolderWatch(std::vector<std::filesystem::path> folders, Scheduler& scheduler, std::function<void()> changed)
        : folders_(std::move(folders)), changed_(std::move(changed)) {
        fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd_ < 0) return;
        rewatch();
        settle_ = scheduler.makeTimer([this] {
            const auto tell = changed_;  // the observer may end this watch
            tell();
        });
        readable_ = scheduler.watchFd(fd_, FdEvent::readable, [this] { readEvents(); });
    }
    ~FolderWatch() {
        readable_.cancel();
        settle_.reset();
        if (fd_ >= 0) ::close(fd_);
    }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    bool watching() const { return fd_ >= 0 && !watched_.empty(); }

private:
    struct Watched {
        bool folder = false;            // an applications folder: its entries count
        std::set<std::string> awaited;  // names on the way down to a missing folder
    };

    // Watches what is there now: each folder, or its nearest existing parent.
    void rewatch() {
        std::map<std::filesystem::path, Watched> wanted;
        for (const auto& folder : folders_) {
            if (isDirectory(folder)) {
                wanted[folder].folder = true;
                continue;
            }
            std::filesystem::path child = folder;
            std::filesystem::path parent = folder.parent_path();
            while (!parent.empty() && parent != child && !isDirectory(parent)) {
                child = parent;
                parent = parent.parent_path();
            }
            if (parent.empty() || parent == child) continue;
            wanted[parent].awaited.insert(child.filename().string());
        }
        std::map<int, Watched> now;
        for (const auto& [path, what] : wanted) {
            const std::uint32_t mask = (what.folder ? folderEvents : 0) | (what.awaited.empty() ? 0 : parentEvents);
            // Two paths to one folder share a descriptor: their masks add up.
            const int wd = ::inotify_add_watch(fd_, path.c_str(), mask | IN_ONLYDIR | IN_MASK_ADD);
            if (wd < 0) continue;
            Watched& w = now[wd];
            w.folder = w.folder || what.folder;
            w.awaited.insert(what.awaited.begin(), what.awaited.end());
        }
        for (const auto& [wd, what] : watched_)
            if (!now.count(wd)) ::inotify_rm_watch(fd_, wd);
        watched_ = std::move(now);
    }

    void readEvents() {
        bool relevant = false;
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t length = ::read(fd_, buffer, sizeof buffer);
            if (length <= 0) break;
            for (const char* p = buffer; p < buffer + length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(p);
                p += sizeof(inotify_event) + event->len;
                if (event->mask & IN_Q_OVERFLOW) {
                    relevant = true;
                    continue;
                }
                const auto it = watched_.find(event->wd);
                if (it == watched_.end()) continue;
                const std::string name = event->len > 0 ? std::string(event->name) : std::string();
                const bool entry = name.size() > 8 && name.compare(name.size() - 8, 8, ".desktop") == 0;
                if (it->second.folder && (entry || (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF)))) relevant = true;
                if (it->second.awaited.count(name)) relevant = true;
            }
        }
        if (!relevant) return;
        rewatch();
        settle_->arm(XdgAppCatalog::settleDelay, XdgAppCatalog::settleDelay / 4);
    }

    std::vector<std::filesystem::path> folders_;
    std::function<void()> changed_;
    int fd_ = -1;
    std::map<int, Watched> watched_;
    std::unique_ptr<Timer> settle_;
    Handle readable_;
};

}  // namespace

XdgAppCatalog::XdgAppCatalog(std::vector<std::filesystem::path> directories, std::string locale,
                             std::shared_ptr<Scheduler> scheduler)
    : directories_(directories.empty() ? applicationDirectories() : std::move(directories)),
      locale_(locale.empty() ? messagesLocale() : std::move(locale)),
      scheduler_(std::move(scheduler)) {}

std::optional<Handle> XdgAppCatalog::observeChanges(std::function<void()> changed) {
    if (!scheduler_) return std::nullopt;
    auto watch = std::make_shared<FolderWatch>(directories_, *scheduler_, std::move(changed));
    if (!watch->watching()) return std::nullopt;
    return Handle([watch]() mutable { watch.reset(); });
}

std::optional<XdgAppCatalog::Installed> XdgAppCatalog::describe(const std::string& id,
                                                                const DesktopEntry& entry) const {
    if (!isApplication(entry)) return std::nullopt;
    Installed app;
    app.app.id = id;
    app.app.name = entry.localizedValue("Name", locale_).value_or(id);
    if (app.app.name.empty()) app.app.name = id;
    app.app.icon = entry.localizedValue("Icon", locale_);
    if (app.app.icon && app.app.icon->empty()) app.app.icon.reset();
    app.categories = entry.list("Categories");
    app.startupWMClass = entry.value("StartupWMClass");
    app.inMenus = entry.value("NoDisplay") != "true";
    return app;
}

std::optional<CatalogApp> XdgAppCatalog::application(const std::string& id) {
    const auto found = findDesktopEntry(id, directories_);
    if (!found) return std::nullopt;
    const auto app = describe(id, found->entry);
    if (!app) return std::nullopt;
    return app->app;
}

std::vector<XdgAppCatalog::Installed> XdgAppCatalog::installed() {
    if (!watchTried_) {
        watchTried_ = true;
        // The watch dies with this catalogue, so `this` outlives every call.
        keptWatch_ = observeChanges([this] { kept_.reset(); });
    }
    if (!keptWatch_) return readInstalled();
    if (!kept_) kept_ = readInstalled();
    return *kept_;
}

std::vector<XdgAppCatalog::Installed> XdgAppCatalog::readInstalled() const {
    std::vector<Installed> apps;
    std::set<std::string> seen;
    for (const auto& dir : directories_) {
        std::error_code error;
        std::vector<std::filesystem::path> files;
        for (auto it = std::filesystem::directory_iterator(dir, error);
             !error && it != std::filesystem::directory_iterator(); it.increment(error))
            if (it->path().extension() == ".desktop") files.push_back(it->path());
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            const std::string id = desktopFileID(file);
            // A folder earlier in the list shadows the same ID further down, whatever it holds.
            if (!seen.insert(id).second) continue;
            const auto entry = DesktopEntry::read(file);
            if (!entry) continue;
            if (auto app = describe(id, *entry)) apps.push_back(std::move(*app));
        }
    }
    return apps;
}

std::optional<std::vector<CatalogApp>> XdgAppCatalog::suggestions() {
    static const std::set<std::string> wanted{"Photography", "RasterGraphics", "VectorGraphics", "AudioVideoEditing"};
    std::vector<CatalogApp> picked;
    for (const auto& app : installed())
        if (std::any_of(app.categories.begin(), app.categories.end(),
                        [](const std::string& c) { return wanted.count(c) > 0; }))
            picked.push_back(app.app);
    std::stable_sort(picked.begin(), picked.end(),
                     [](const CatalogApp& a, const CatalogApp& b) { return lowered(a.name) < lowered(b.name); });
    if (picked.size() > 5) picked.resize(5);
    return picked;
}

std::optional<std::vector<CatalogApp>> XdgAppCatalog::applications() {
    std::vector<CatalogApp> apps;
    for (const auto& app : installed())
        if (app.inMenus) apps.push_back(app.app);
    std::stable_sort(apps.begin(), apps.end(),
                     [](const CatalogApp& a, const CatalogApp& b) { return lowered(a.name) < lowered(b.name); });
    return apps;
}

std::string XdgAppCatalog::applicationID(const std::string& windowClass, const std::optional<std::string>& instance) {
    const auto apps = installed();
    for (const auto& app : apps)
        if (app.startupWMClass == windowClass) return app.app.id;
    for (const auto& candidate : {std::optional<std::string>(windowClass), instance}) {
        if (!candidate || candidate->empty()) continue;
        for (const auto& app : apps)
            if (lowered(app.app.id) == lowered(*candidate)) return app.app.id;
    }
    return windowClass;
}

std::optional<CatalogApp> XdgAppCatalog::applicationAt(const std::filesystem::path& file) {
    const auto entry = DesktopEntry::read(file);
    if (!entry) return std::nullopt;
    const auto app = describe(desktopFileID(file), *entry);
    if (!app) return std::nullopt;
    return app->app;
}

}  // namespace orvane::platform::linuxsys
