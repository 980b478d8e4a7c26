#pragma once

#include "platform/desktop/Dispatch.h"

class QObject;

namespace plimsa {

/// The main queue on the Qt event loop: `post` queues an invocation on the application object, `after`
/// is a single-shot timer, `every` a precise repeating timer owned by its handle. Work never runs inside
/// the call that schedules it. Needs a QCoreApplication; made on the GUI thread, `post` from any thread.
class QtDispatch final : public Dispatch {
  public:
    QtDispatch();

    void post(std::function<void()> work) override;
    void after(double seconds, std::function<void()> work) override;
    [[nodiscard]] std::unique_ptr<TimerHandle> every(double seconds, std::function<void()> work) override;
    /// A worker thread of its own (`ThreadSerialQueue`).
    std::unique_ptr<SerialQueue> serialQueue(const std::string& label) override;

  private:
    QObject* context_;
};

}  // namespace plimsa
