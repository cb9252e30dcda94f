#pragma once
// Opening an address the way the desktop does: the OpenURI portal on the session bus
// (org.freedesktop.portal.OpenURI), else xdg-open started in the background.
#include <string>

namespace orvane::platform::linuxsys {

// Whether anything here opens addresses: the portal answers, or xdg-open is on PATH.
bool desktopOpensURLs();
// True when the portal took the address or xdg-open was started.
bool openURLOnDesktop(const std::string& url);

}  // namespace orvane::platform::linuxsys
