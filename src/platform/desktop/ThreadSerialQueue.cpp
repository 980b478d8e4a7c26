#include "platform/desktop/ThreadSerialQueue.h"

#include <pthread.h>

namespace plimsa {

ThreadSerialQueue::ThreadSerialQueue(const std::string& label) : worker_([this, label] { run(label); }) {}

ThreadSerialQueue::~ThreadSerialQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    wake_.notify_one();
    worker_.join();
}

void ThreadSerialQueue::post(std::function<void()> work) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        jobs_.push_back(std::move(work));
    }
    wake_.notify_one();
}

void ThreadSerialQueue::run(const std::string& label) {
    pthread_setname_np(pthread_self(), label.substr(0, 15).c_str());
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (stopping_) return;
        auto job = std::move(jobs_.front());
        jobs_.pop_front();
        lock.unlock();
        job();
        job = nullptr;  // the job's captures go on this thread, before the next job
        lock.lock();
    }
}

}  // namespace plimsa
