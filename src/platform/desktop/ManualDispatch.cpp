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

ManualDispatch::ManualDispatch() = default;
ManualDispatch::~ManualDispatch() = default;

void ManualDispatch::post(std::function<void()> work) {
    queue_.emplace(order_++, std::move(work));
}

void ManualDispatch::after(double seconds, std::function<void()> work) {
    if (!(seconds > 0.0)) {
        post(std::move(work));
        return;
    }
    timed_.emplace(std::make_pair(now_ + seconds, order_++), Job{std::move(work), 0.0, nullptr});
}

std::unique_ptr<TimerHandle> ManualDispatch::every(double seconds, std::function<void()> work) {
    auto alive = std::make_shared<bool>(true);
    // A timer faster than a millisecond would make `advance` spin; the toolkit's timers cannot go below it.
    const double interval = std::max(seconds, 0.001);
    timed_.emplace(std::make_pair(now_ + interval, order_++), Job{std::move(work), interval, alive});
    return std::make_unique<Handle>(std::move(alive));
}

int ManualDispatch::runPending() {
    int ran = 0;
    while (!queue_.empty()) {
        auto first = queue_.begin();
        auto work = std::move(first->second);
        queue_.erase(first);
        work();
        ++ran;
    }
    return ran;
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
        if (job.interval > 0.0) timed_.emplace(std::make_pair(due + job.interval, order_++), job);
        job.work();
        runPending();
    }
    now_ = end;
}

size_t ManualDispatch::pendingCount() const {
    return queue_.size();
}

}  // namespace plimsa
