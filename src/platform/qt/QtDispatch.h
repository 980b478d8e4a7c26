#pragma once

#include "platform/desktop/Dispatch.h"

class QObject;

namespace plimsa {

/// The main queue on the Qt event loop: `post` queues an invocation on the application object, `after`
/// is a single-shot timer, `every` a precise repeating timer owned by its handle. Work never runs inside
/// the call that schedules it. Needs a QCoreApplication; GUI thread only.
class QtDispatch final : public Dispatch {
  public:
    QtDispatch();

    void post(std::function<void()> work) override;
    void after(double seconds, std::function<void()> work) override;
    [[nodiscard]] std::unique_ptr<TimerHandle> every(double seconds, std::function<void()> work) override;

  private:
    QObject* context_;
};

}  // namespace plimsa
