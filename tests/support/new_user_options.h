#pragma once

#include "settings/settings_store.h"
#include "support/temp_dir.h"

namespace tarnwick::testing {

// The options of a user without a settings.db, loaded as the program loads them.
inline Options NewUserOptions() {
  TempDir dir;
  return LoadOptions(SettingsFilePath(dir.path())).options;
}

}  // namespace tarnwick::testing
