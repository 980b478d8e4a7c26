#pragma once

#include "app/ShellSeams.h"

namespace plimsa {

class UpdateChecker;

/// The shell's update notice backed by the update checker. `checker` must outlive it. Main thread only.
class UpdateCheckerNotice final : public UpdateNotice {
  public:
    explicit UpdateCheckerNotice(UpdateChecker& checker) : checker_(checker) {}

    std::optional<UpdateInfo> available() const override;
    [[nodiscard]] Connection onAvailableChange(Observer observer) override;
    void check() override;
    void open() override;
    void startPeriodicChecks() override;

  private:
    UpdateChecker& checker_;
};

}  // namespace plimsa
