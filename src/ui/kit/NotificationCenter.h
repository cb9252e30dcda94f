#pragma once
// The program's in-process notifications: a name and an optional string object, delivered
// synchronously on the main thread to every observer of that name.
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Observers.h"

namespace orvane::kit {

namespace Notifications {
inline constexpr std::string_view openSettings = "app.orvane.openSettings";
inline constexpr std::string_view openSettingsPane = "app.orvane.openSettingsPane";  // object: the pane's name
inline constexpr std::string_view runMethodCheck = "app.orvane.runMethodCheck";      // object: a display key or none
inline constexpr std::string_view showOnboarding = "app.orvane.showOnboarding";
inline constexpr std::string_view popoverWillShow = "app.orvane.popoverWillShow";
inline constexpr std::string_view popoverDidClose = "app.orvane.popoverDidClose";
}  // namespace Notifications

class NotificationCenter {
public:
    using Object = std::optional<std::string>;

    // The program's own centre. Tests and the screenshot mode may make private ones; a view
    // reaches the centre of its window through kit::notificationsOf(widget) (Context.h).
    static NotificationCenter& defaultCenter();

    // Ends when the handle is dropped.
    [[nodiscard]] Subscription observe(std::string_view name, std::function<void(const Object&)> callback);
    void post(std::string_view name, Object object = std::nullopt) const;

private:
    std::map<std::string, Observers<Object>, std::less<>> observers_;
};

}  // namespace orvane::kit
