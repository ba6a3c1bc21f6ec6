#include "platform/folder.h"

#include "platform/entry_names.h"

namespace tarnwick {

std::string Folder::PathOf(const std::string& name) const { return JoinEntry(path_, name); }

}  // namespace tarnwick
