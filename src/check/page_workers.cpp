#include "check/page_workers.h"

namespace tarnwick {
namespace {

constexpr std::size_t kPagesPerThread = 16;
constexpr std::size_t kMaxWaitingBytes = 16 * 1024 * 1024;

}  // namespace

PageWorkers::PageWorkers(unsigned threads) {
  if (threads <= 1) return;
  capacity_ = kPagesPerThread * threads;
  for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

PageWorkers::~PageWorkers() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  workReady_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

bool PageWorkers::Full() const {
  return waiting_ >= capacity_ || (waiting_ > 0 && waitingBytes_ >= kMaxWaitingBytes);
}

void PageWorkers::Submit(std::string bytes, PageType type) {
  ++waiting_;
  waitingBytes_ += bytes.size();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::size_t size = bytes.size();
    slots_.push_back(Slot{std::move(bytes), size, type, PageLinks(), false});
  }
  workReady_.notify_one();
}

PageLinks PageWorkers::TakeOldest() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (slots_.empty()) return PageLinks();
  --waiting_;
  if (threads_.empty()) {
    Slot slot = std::move(slots_.front());
    slots_.pop_front();
    waitingBytes_ -= slot.bytes.size();
    lock.unlock();
    return ownReader_.Read(slot.bytes, slot.type);
  }
  resultReady_.wait(lock, [this] { return slots_.front().done; });
  waitingBytes_ -= slots_.front().size;
  PageLinks links = std::move(slots_.front().links);
  slots_.pop_front();
  --firstClaimable_;
  return links;
}

void PageWorkers::Work() {
  PageReader reader;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    workReady_.wait(lock, [this] { return stopping_ || firstClaimable_ < slots_.size(); });
    if (stopping_) return;
    Slot& slot = slots_[firstClaimable_++];
    lock.unlock();
    PageLinks links = reader.Read(slot.bytes, slot.type);
    std::string().swap(slot.bytes);
    lock.lock();
    slot.links = std::move(links);
    slot.done = true;
    resultReady_.notify_all();
  }
}

}  // namespace tarnwick
