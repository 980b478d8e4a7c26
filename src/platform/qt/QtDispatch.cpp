#include "platform/qt/QtDispatch.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

#include "platform/desktop/ThreadSerialQueue.h"

namespace plimsa {
namespace {

int milliseconds(double seconds) {
    if (!(seconds > 0.0)) return 0;
    return static_cast<int>(std::min(std::llround(seconds * 1000.0), static_cast<long long>(INT_MAX)));
}

/// Owns the repeating timer. A handle dropped by its own work leaves the timer to be deleted after the
/// work returns.
class QtTimerHandle final : public TimerHandle {
  public:
    QtTimerHandle(double seconds, std::function<void()> work) : timer_(new QTimer) {
        timer_->setTimerType(Qt::PreciseTimer);
        timer_->setInterval(std::max(1, milliseconds(seconds)));
        QObject::connect(timer_, &QTimer::timeout, timer_, [this, alive = alive_, work = std::move(work)] {
            firing_ = true;
            work();
            if (*alive) firing_ = false;
        });
        timer_->start();
    }
    ~QtTimerHandle() override {
        *alive_ = false;
        timer_->stop();
        if (firing_)
            timer_->deleteLater();
        else
            delete timer_;
    }

  private:
    QTimer* timer_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    bool firing_ = false;
};

}  // namespace

QtDispatch::QtDispatch() : context_(QCoreApplication::instance()) {}

void QtDispatch::post(std::function<void()> work) {
    QMetaObject::invokeMethod(context_, std::move(work), Qt::QueuedConnection);
}

void QtDispatch::after(double seconds, std::function<void()> work) {
    if (milliseconds(seconds) == 0) {
        post(std::move(work));
        return;
    }
    QTimer::singleShot(milliseconds(seconds), Qt::PreciseTimer, context_, std::move(work));
}

std::unique_ptr<TimerHandle> QtDispatch::every(double seconds, std::function<void()> work) {
    return std::make_unique<QtTimerHandle>(seconds, std::move(work));
}

std::unique_ptr<SerialQueue> QtDispatch::serialQueue(const std::string& label) {
    return std::make_unique<ThreadSerialQueue>(label);
}

}  // namespace plimsa
