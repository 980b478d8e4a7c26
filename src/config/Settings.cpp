#include "config/Settings.h"

#include <utility>

#include "config/SharedSettings.h"

namespace plimsa {
namespace {

bool gPersist = true;

SharedSettings& processSettings() {
    static SharedSettings shared;
    return shared;
}

bool inRange(const SettingsValues& values, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < values.swings.size();
}

}  // namespace

bool Settings::installDefaults(std::unique_ptr<Defaults> defaults) {
    return processSettings().installDefaults(std::move(defaults));
}

Settings& Settings::shared() {
    return processSettings().store();
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
        Values nested = upcoming();
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

const Settings::Values& Settings::upcoming() const {
    if (announced_ == nullptr) return v_;
    return deferred_.empty() ? *announced_ : deferred_.back();
}

void Settings::resetSwing(int index) {
    // Asked from a will-change observer, the reset applies to the value being announced, which may hold
    // fewer swings than the stored one.
    if (!inRange(upcoming(), index)) return;
    update([index](Values& v) {
        if (!inRange(v, index)) return;
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
