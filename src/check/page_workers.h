#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "check/page_links.h"

namespace tarnwick {

// Parses pages side by side on worker threads and hands the results back in the order the
// pages were given. The workers only parse: every file is read by the caller, so the file
// system is used from one thread alone. A bounded number of pages and bytes wait at a time,
// so memory does not grow with the web, while enough wait that reading the next pages goes
// on while the workers parse.
class PageWorkers {
 public:
  // 0 or 1 thread: each page is parsed on the caller's thread when its result is taken.
  explicit PageWorkers(unsigned threads);
  ~PageWorkers();
  PageWorkers(const PageWorkers&) = delete;
  PageWorkers& operator=(const PageWorkers&) = delete;

  // Whether one more page may be given before a result is taken.
  bool Full() const;

  void Submit(std::string bytes, PageType type);
  // The links of the oldest page not yet taken; waits for its parse.
  PageLinks TakeOldest();

 private:
  struct Slot {
    std::string bytes;
    std::size_t size = 0;  // of bytes, which the worker frees once parsed
    PageType type = PageType::kOther;
    PageLinks links;
    bool done = false;
  };
  void Work();

  std::size_t capacity_ = 1;
  std::size_t waiting_ = 0;
  std::size_t waitingBytes_ = 0;
  PageReader ownReader_;  // for parsing on the caller's thread

  std::mutex mutex_;
  std::condition_variable workReady_;
  std::condition_variable resultReady_;
  std::deque<Slot> slots_;          // references stay valid while the ends change
  std::size_t firstClaimable_ = 0;  // index into slots_ of the next page no worker has taken
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace tarnwick
