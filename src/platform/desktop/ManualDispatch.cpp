#include "platform/desktop/ManualDispatch.h"

#include <algorithm>

namespace plimsa {

class ManualDispatch::Handle final : public TimerHandle {
  public:
    explicit Handle(std::shared_ptr<bool> alive) : alive_(std::move(alive)) {}
    ~Handle() override { *alive_ = false; }

  private:
    std::shared_ptr<bool> alive_;
};

class ManualDispatch::ManualSerialQueue final : public SerialQueue {
  public:
    explicit ManualSerialQueue(ManualDispatch& owner) : owner_(owner) {}
    ~ManualSerialQueue() override { *alive_ = false; }
    void post(std::function<void()> work) override {
        owner_.background_.push_back({std::move(work), alive_});
    }

  private:
    ManualDispatch& owner_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

ManualDispatch::ManualDispatch() = default;
ManualDispatch::~ManualDispatch() = default;

void ManualDispatch::post(std::function<void()> work) {
    std::lock_guard lock(queueMutex_);
    queue_.emplace(order_++, std::move(work));
}

void ManualDispatch::after(double seconds, std::function<void()> work) {
    if (!(seconds > 0.0)) {
        post(std::move(work));
        return;
    }
    std::lock_guard lock(queueMutex_);  // guards the shared order counter
    timed_.emplace(std::make_pair(now_ + seconds, order_++), Job{std::move(work), 0.0, nullptr});
}

std::unique_ptr<TimerHandle> ManualDispatch::every(double seconds, std::function<void()> work) {
    auto alive = std::make_shared<bool>(true);
    // A timer faster than a millisecond would make `advance` spin; the toolkit's timers cannot go below it.
    const double interval = std::max(seconds, 0.001);
    std::lock_guard lock(queueMutex_);
    timed_.emplace(std::make_pair(now_ + interval, order_++), Job{std::move(work), interval, alive});
    return std::make_unique<Handle>(std::move(alive));
}

int ManualDispatch::runPending() {
    int ran = 0;
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard lock(queueMutex_);
            if (queue_.empty()) return ran;
            auto first = queue_.begin();
            work = std::move(first->second);
            queue_.erase(first);
        }
        work();
        ++ran;
    }
}

void ManualDispatch::advance(double seconds) {
    const double end = now_ + std::max(seconds, 0.0);
    runPending();
    while (!timed_.empty() && timed_.begin()->first.first <= end) {
        auto first = timed_.begin();
        const double due = first->first.first;
        Job job = std::move(first->second);
        timed_.erase(first);
        now_ = std::max(now_, due);
        if (job.alive && !*job.alive) continue;
        if (job.interval > 0.0) {
            std::lock_guard lock(queueMutex_);
            timed_.emplace(std::make_pair(due + job.interval, order_++), job);
        }
        job.work();
        runPending();
    }
    now_ = end;
}

size_t ManualDispatch::pendingCount() const {
    std::lock_guard lock(queueMutex_);
    return queue_.size();
}

std::unique_ptr<SerialQueue> ManualDispatch::serialQueue(const std::string&) {
    return std::make_unique<ManualSerialQueue>(*this);
}

int ManualDispatch::runBackground() {
    int ran = 0;
    while (!background_.empty()) {
        Background job = std::move(background_.front());
        background_.pop_front();
        if (!*job.alive) continue;
        job.work();
        ++ran;
    }
    return ran;
}

size_t ManualDispatch::backgroundCount() const {
    return static_cast<size_t>(std::count_if(background_.begin(), background_.end(),
                                             [](const Background& job) { return *job.alive; }));
}

}  // namespace plimsa
