#include "shell/web_links.h"

#include "shell/shell_services.h"

namespace tarnwick {

void OpenWebPage(ShellServices& services, const QString& address) { services.OpenUrl(address); }

}  // namespace tarnwick
