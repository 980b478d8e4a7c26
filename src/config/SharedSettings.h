#pragma once

#include <memory>

#include "platform/desktop/Defaults.h"

namespace plimsa {

class Settings;

/// Holds a process's one settings store: defaults may be installed until the store is first asked for;
/// the store is then created on them, or on memory-only defaults when none were installed (snapshot and
/// test runs), so the core never depends on a toolkit. `Settings::shared()` is one of these for the whole
/// process; tests construct their own. Main thread only.
class SharedSettings {
  public:
    SharedSettings();
    ~SharedSettings();
    SharedSettings(const SharedSettings&) = delete;
    SharedSettings& operator=(const SharedSettings&) = delete;

    /// Sets the defaults the store will load from and save to. Returns false (and drops `defaults`) once
    /// the store exists or when `defaults` is null.
    bool installDefaults(std::unique_ptr<Defaults> defaults);
    /// The store, created and loaded on first use.
    Settings& store();

  private:
    std::unique_ptr<Defaults> defaults_;  // declared first: the store refers to it until it is destroyed
    std::unique_ptr<Settings> store_;
};

}  // namespace plimsa
