#include "config/SharedSettings.h"

#include <utility>

#include "config/Settings.h"
#include "platform/desktop/MemoryDefaults.h"

namespace plimsa {

SharedSettings::SharedSettings() = default;
SharedSettings::~SharedSettings() = default;

bool SharedSettings::installDefaults(std::unique_ptr<Defaults> defaults) {
    if (store_ || !defaults) return false;
    defaults_ = std::move(defaults);
    return true;
}

Settings& SharedSettings::store() {
    if (!store_) {
        if (!defaults_) defaults_ = std::make_unique<MemoryDefaults>();
        store_ = std::make_unique<Settings>(*defaults_);
    }
    return *store_;
}

}  // namespace plimsa
