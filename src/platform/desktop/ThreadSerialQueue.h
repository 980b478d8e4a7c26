#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "platform/desktop/Dispatch.h"

namespace plimsa {

/// A serial queue on a worker thread of its own, started with the queue and joined when it is destroyed
/// (which its own jobs must not do).
class ThreadSerialQueue final : public SerialQueue {
  public:
    /// `label` names the thread (cut to the 15 bytes a thread name may hold).
    explicit ThreadSerialQueue(const std::string& label);
    ~ThreadSerialQueue() override;

    void post(std::function<void()> work) override;

  private:
    void run(const std::string& label);

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace plimsa
