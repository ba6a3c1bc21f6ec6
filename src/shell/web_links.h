#pragma once

#include <QString>

#include "ticker/web_links.h"

namespace tarnwick {

class ShellServices;

// Contact details shown on the About and Feedback panels; the page addresses are the
// core's.
inline constexpr const char* kContactAddress = "robin@tarnwick-works.example";
inline constexpr const char* kAuthorName = "Robin Marlow";

// Opens the address in a new browser window. A browser that cannot be started changes
// nothing and shows nothing.
void OpenWebPage(ShellServices& services, const QString& address);

}  // namespace tarnwick
