#include "config/Settings.h"

#include <utility>

#include "platform/desktop/MemoryDefaults.h"

namespace plimsa {
namespace {

bool gPersist = true;
bool gSharedCreated = false;

std::unique_ptr<Defaults>& installedDefaults() {
    static std::unique_ptr<Defaults> defaults;
    return defaults;
}

}  // namespace

bool Settings::installDefaults(std::unique_ptr<Defaults> defaults) {
    if (gSharedCreated || !defaults) return false;
    installedDefaults() = std::move(defaults);
    return true;
}

Settings& Settings::shared() {
    static Settings store([]() -> Defaults& {
        gSharedCreated = true;
        auto& defaults = installedDefaults();
        if (!defaults) defaults = std::make_unique<MemoryDefaults>();
        return *defaults;
    }());
    return store;
}

bool Settings::persist() {
    return gPersist;
}

void Settings::setPersist(bool persist) {
    gPersist = persist;
}

Settings::Settings(Defaults& defaults) : defaults_(defaults), v_(load(defaults)) {}

Settings::Values Settings::load(Defaults& defaults) {
    auto data = defaults.data(kKey);
    if (!data) {
        if (const auto suite = defaults.suite(kLegacySuite)) {
            data = suite->data(kKey);
            if (data) defaults.setData(kKey, *data);
        }
    }
    if (data)
        if (auto decoded = Values::decode(*data)) return std::move(*decoded);
    return Values{};
}

void Settings::set(Values values) {
    update([&values](Values& v) { v = std::move(values); });
}

void Settings::update(const std::function<void(Values&)>& edit) {
    if (announced_ != nullptr) {
        // Asked from a will-change observer: build on the value being announced (and on earlier such
        // edits) now, while whatever `edit` refers to still exists, and store it right after.
        Values nested = deferred_.empty() ? *announced_ : deferred_.back();
        edit(nested);
        deferred_.push_back(std::move(nested));
        return;
    }
    Values next = v_;
    edit(next);
    commit(std::move(next));
    while (!deferred_.empty()) {
        Values again = std::move(deferred_.front());
        deferred_.erase(deferred_.begin());
        commit(std::move(again));
    }
}

void Settings::resetSwing(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= v_.swings.size()) return;
    update([index](Values& v) {
        const SwingConfig& old = v.swings[static_cast<std::size_t>(index)];
        SwingConfig fresh;
        fresh.id = old.id;
        fresh.characters = old.characters;
        fresh.attach = old.attach;
        fresh.anchorFraction = old.anchorFraction;
        v.swings[static_cast<std::size_t>(index)] = std::move(fresh);
    });
}

Connection Settings::onWillChange(std::function<void(const Values&)> observer) {
    return willChange_.connect(std::move(observer));
}

Connection Settings::onChanged(std::function<void(const Values&)> observer) {
    return changed_.connect(std::move(observer));
}

void Settings::commit(Values next) {
    struct Announcing {
        const Values*& announced;
        Announcing(const Values*& slot, const Values& value) : announced(slot) { announced = &value; }
        ~Announcing() { announced = nullptr; }
    };
    {
        Announcing announcing(announced_, next);
        willChange_.publish(next);
    }
    v_ = std::move(next);
    if (persist()) save();
    changed_.publish(v_);
}

void Settings::save() const {
    if (const auto document = v_.encode()) defaults_.setData(kKey, *document);
}

}  // namespace plimsa
