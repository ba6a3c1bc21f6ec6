#pragma once

#include "settings/options.h"

namespace tarnwick {

// What the options mean for a conversion and for the check of what it keeps, decided once.
// The change checks are the master switch: without them nothing is reported, compared,
// skipped, logged or removed, and every file is copied.
struct RunPolicy {
  RunPolicy() = default;
  explicit RunPolicy(const Options& options);

  bool checking = false;         // new and changed files are told apart from the others
  bool compareDate = false;      // a different write time makes a file changed
  bool compareSize = false;      // a different size makes a file changed
  bool reportChanges = false;    // changes go into the change logs, before their copies
  bool uploadsMade = false;      // changed files go into the uploads folder too, with its log
  bool skipListApplies = false;  // files named in the skip list stay out
  bool sweepWanted = false;      // the FTP web is looked through for deleted files at all
  bool reportDeleted = false;    // deleted files are logged
  bool removeDeleted = false;    // deleted files are removed from the FTP web
  bool keepUsedFiles = false;    // what pages use in _borders, _overlay, _fpclass comes along
  bool ftpClientWanted = false;  // a finished run starts the FTP client
};

}  // namespace tarnwick
