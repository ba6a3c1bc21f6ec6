#include "shell/single_instance.h"

#include <QDir>

namespace tarnwick {

SingleInstance::SingleInstance(const QString& programFolder) : lock_(LockFilePath(programFolder)) {
  // Only a dead holder makes the lock stale, never its age: a week-long session stays single.
  lock_.setStaleLockTime(0);
}

QString SingleInstance::LockFilePath(const QString& programFolder) {
  return QDir(programFolder).filePath(QStringLiteral("tarnwick.lock"));
}

bool SingleInstance::Claim() {
  if (lock_.isLocked()) return true;
  return lock_.tryLock(0);
}

}  // namespace tarnwick
