#include "platform/Frameworks.h"

namespace orvane::platform {

const std::any* SymbolTable::symbol(std::string_view name) const {
    if (present_ && !present_(name)) return nullptr;
    const auto it = symbols_.find(name);
    return it == symbols_.end() ? nullptr : &it->second;
}

void FrameworkRegistry::add(std::string path, Loader loader) {
    std::lock_guard lock(mutex_);
    loaders_[std::move(path)] = std::move(loader);
}

void FrameworkRegistry::add(std::string path, std::shared_ptr<FrameworkImage> image) {
    add(std::move(path), Loader([image] { return image; }));
}

void FrameworkRegistry::remove(const std::string& path) {
    std::lock_guard lock(mutex_);
    loaders_.erase(path);
}

std::shared_ptr<FrameworkImage> FrameworkRegistry::open(std::string_view path) const {
    Loader loader;
    {
        std::lock_guard lock(mutex_);
        const auto it = loaders_.find(path);
        if (it == loaders_.end()) return nullptr;
        loader = it->second;
    }
    return loader ? loader() : nullptr;
}

std::shared_ptr<FrameworkImage> FrameworkRegistry::handle(std::string_view path) {
    std::lock_guard lock(openedMutex_);
    if (const auto it = opened_.find(path); it != opened_.end()) return it->second;
    auto image = open(path);
    if (image) opened_.emplace(std::string(path), image);
    return image;
}

}  // namespace orvane::platform
