// A second thread for drawing: large batches are split into horizontal
// bands, alternate bands drawn by the caller and by the worker. Rows are
// disjoint, so the picture is the same as with one thread.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace platform::d3d {

class BandWorker {
 public:
  BandWorker() = default;
  BandWorker(const BandWorker&) = delete;
  BandWorker& operator=(const BandWorker&) = delete;
  ~BandWorker();

  // Runs job(1) on the worker and job(0) on the calling thread; returns
  // when both are done.
  void Run(const std::function<void(int)>& job);

 private:
  void Loop();

  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable finished_;
  const std::function<void(int)>* job_ = nullptr;
  bool quit_ = false;
};

}  // namespace platform::d3d
