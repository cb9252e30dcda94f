#include "platform/wayland/SwayIpc.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <nlohmann/json.hpp>

#include "platform/Platform.h"

namespace orvane::platform::waylandsys {

namespace {

constexpr char magic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr unsigned runCommand = 0;
constexpr unsigned getTree = 4;
constexpr int replyWaitMs = 1000;

bool sendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool readAll(int fd, char* data, std::size_t size) {
    while (size > 0) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, replyWaitMs) <= 0) return false;
        const ssize_t n = ::read(fd, data, size);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

SwayRect rectOf(const nlohmann::json& node) {
    const auto& r = node.at("rect");
    return {r.at("x").get<int>(), r.at("y").get<int>(), r.at("width").get<int>(), r.at("height").get<int>()};
}

// A string member, or empty.
std::string text(const nlohmann::json& node, const char* key) {
    const auto it = node.find(key);
    if (it == node.end()) return {};
    const auto* value = it->get_ptr<const std::string*>();
    return value ? *value : std::string();
}

// Depth first, remembering the output and workspace on the way down.
std::optional<SwayWindow> find(const nlohmann::json& node, pid_t pid, const std::string& title, SwayRect output,
                               SwayRect workspace) {
    const std::string type = text(node, "type");
    if (type == "output") output = rectOf(node);
    if (type == "workspace") workspace = rectOf(node);
    if ((type == "con" || type == "floating_con") && node.contains("pid") && node["pid"].is_number() &&
        node["pid"].get<long>() == pid && text(node, "name") == title)
        return SwayWindow{node.value("id", 0L), rectOf(node), output, workspace};
    for (const char* children : {"nodes", "floating_nodes"})
        if (node.contains(children))
            for (const auto& child : node[children])
                if (auto found = find(child, pid, title, output, workspace)) return found;
    return std::nullopt;
}

// sway's criteria quote with double quotes; the title is matched exactly.
std::string titleRegex(const std::string& title) {
    std::string out = "^";
    for (const char c : title) {
        if (std::strchr("\\^$.|?*+()[]{}\"", c)) out += '\\';
        out += c;
    }
    return out + "$";
}

}  // namespace

std::optional<SwayIpc> SwayIpc::connect(const std::optional<std::string>& socket) {
    const auto path = socket ? socket : environmentValue("SWAYSOCK");
    if (!path || path->empty()) return std::nullopt;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path->size() >= sizeof address.sun_path) return std::nullopt;
    std::memcpy(address.sun_path, path->c_str(), path->size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return std::nullopt;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    return SwayIpc(fd);
}

SwayIpc::SwayIpc(SwayIpc&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

SwayIpc::~SwayIpc() {
    if (fd_ >= 0) ::close(fd_);
}

std::optional<std::string> SwayIpc::request(unsigned type, const std::string& payload) {
    std::string message(magic, sizeof magic);
    const std::uint32_t header[2] = {static_cast<std::uint32_t>(payload.size()), type};
    message.append(reinterpret_cast<const char*>(header), sizeof header);
    message += payload;
    if (!sendAll(fd_, message.data(), message.size())) return std::nullopt;
    char replyHeader[sizeof magic + sizeof header];
    if (!readAll(fd_, replyHeader, sizeof replyHeader) || std::memcmp(replyHeader, magic, sizeof magic) != 0)
        return std::nullopt;
    std::uint32_t replyFields[2];
    std::memcpy(replyFields, replyHeader + sizeof magic, sizeof replyFields);
    std::string reply(replyFields[0], '\0');
    if (!readAll(fd_, reply.data(), reply.size())) return std::nullopt;
    return reply;
}

bool SwayIpc::command(const std::string& commands) {
    const auto reply = request(runCommand, commands);
    if (!reply) return false;
    const auto results = nlohmann::json::parse(*reply, nullptr, false);
    if (!results.is_array() || results.empty()) return false;
    for (const auto& r : results)
        if (!r.is_object() || !r.value("success", false)) return false;
    return true;
}

std::string SwayIpc::tree() { return request(getTree, "").value_or(""); }

std::optional<SwayWindow> SwayIpc::window(pid_t pid, const std::string& title) {
    const auto root = nlohmann::json::parse(tree(), nullptr, false);
    if (root.is_discarded()) return std::nullopt;
    try {
        return find(root, pid, title, {}, {});
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
}

std::optional<SwayWindow> SwayIpc::moveToPointer(pid_t pid, const std::string& title) {
    const std::string criteria = "[pid=" + std::to_string(pid) + " title=\"" + titleRegex(title) + "\"]";
    if (!command(criteria + " move position cursor")) return std::nullopt;
    return window(pid, title);
}

bool SwayIpc::moveTo(long id, int x, int y) {
    return command("[con_id=" + std::to_string(id) + "] move absolute position " + std::to_string(x) + " " +
                   std::to_string(y));
}

std::pair<int, int> pointerFromCentredWindow(const SwayWindow& w) {
    const auto axis = [](int start, int length, int outputStart, int outputLength) {
        if (start <= outputStart) return outputStart;
        if (start + length >= outputStart + outputLength) return outputStart + outputLength - 1;
        return start + length / 2;
    };
    return {axis(w.rect.x, w.rect.width, w.output.x, w.output.width),
            axis(w.rect.y, w.rect.height, w.output.y, w.output.height)};
}

}  // namespace orvane::platform::waylandsys
