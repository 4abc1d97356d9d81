#pragma once
// The user's desktop: opening web addresses in the default browser.

#include <string>

namespace platform {

// Opens an http, https or mailto address with xdg-open; false when the address is of another
// kind or the opener could not be started.
bool OpenUrl(const std::string& url);

}  // namespace platform
