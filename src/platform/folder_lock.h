#pragma once

#include <cstdint>

namespace tarnwick {

// An exclusive hold on a folder for the length of a run, so that two runs never write one FTP
// web at once. The system releases it when the holder ends, however it ends (a kill
// included), so it never outlives its run, and it leaves no file behind in the folder.
class FolderLock {
 public:
  FolderLock() = default;
  // Takes over a handle on which the system holds the lock: a descriptor on POSIX, a HANDLE on
  // Windows.
  explicit FolderLock(std::intptr_t handle) : handle_(handle) {}
  ~FolderLock();
  FolderLock(FolderLock&& other) noexcept : handle_(other.handle_) { other.handle_ = kNone; }
  FolderLock& operator=(FolderLock&& other) noexcept;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  bool Held() const { return handle_ != kNone; }
  void Release();

 private:
  static constexpr std::intptr_t kNone = -1;
  std::intptr_t handle_ = kNone;
};

}  // namespace tarnwick
