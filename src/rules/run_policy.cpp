#include "rules/run_policy.h"

namespace tarnwick {

RunPolicy::RunPolicy(const Options& options)
    : checking(options.CheckForChanges != 0),
      compareDate(checking && options.CompareDate != 0),
      compareSize(checking && options.CompareSize != 0),
      reportChanges(checking && options.ReportChanges != 0),
      uploadsMade(checking && options.CreateUploadsDir != 0),
      skipListApplies(checking && options.KillExtra != 0),
      // Without the change checks deleted files are still counted when they are to be
      // reported, though neither logged nor removed.
      sweepWanted(options.ReportDeleted != 0 || (checking && options.KillDeleted != 0)),
      reportDeleted(checking && options.ReportDeleted != 0),
      removeDeleted(checking && options.KillDeleted != 0),
      keepUsedFiles(options.KeepUsedFiles != 0),
      ftpClientWanted(!options.FTPPath.empty() && options.LaunchFTP != 0) {}

}  // namespace tarnwick
