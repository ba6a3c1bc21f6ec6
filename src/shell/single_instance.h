#pragma once

#include <QLockFile>
#include <QString>

namespace tarnwick {

// One running copy of the program per program folder: a lock file there, held for the life of
// the process. A lock left behind by a process that died is taken over.
class SingleInstance {
 public:
  explicit SingleInstance(const QString& programFolder);

  // True when this process now holds the lock (or already did).
  bool Claim();
  bool Held() const { return lock_.isLocked(); }
  // Lets the next start in while this process is still ending.
  void Release() { lock_.unlock(); }

  static QString LockFilePath(const QString& programFolder);

 private:
  QLockFile lock_;
};

}  // namespace tarnwick
