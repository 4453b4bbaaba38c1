#include "d3d/band_worker.h"

namespace platform::d3d {

BandWorker::~BandWorker() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void BandWorker::Run(const std::function<void(int)>& job) {
  if (!thread_.joinable()) thread_ = std::thread(&BandWorker::Loop, this);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    job_ = &job;
  }
  wake_.notify_one();
  job(0);
  std::unique_lock<std::mutex> lock(mutex_);
  finished_.wait(lock, [this] { return job_ == nullptr; });
}

void BandWorker::Loop() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return quit_ || job_ != nullptr; });
    if (quit_) return;
    const std::function<void(int)>* job = job_;
    lock.unlock();
    (*job)(1);
    lock.lock();
    job_ = nullptr;
    finished_.notify_one();
  }
}

}  // namespace platform::d3d
