#include "update/UpdateChecker.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <utility>
#include <vector>

#include "platform/desktop/Dispatch.h"
#include "platform/signal/Signal.h"

namespace plimsa {
namespace {

std::int64_t versionPart(std::string_view part) {
    const bool plus = !part.empty() && part.front() == '+';
    if (plus) part.remove_prefix(1);
    if (part.empty() || (plus && part.front() == '-')) return 0;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    return error == std::errc() && end == part.data() + part.size() ? value : 0;
}

std::vector<std::int64_t> versionParts(std::string_view version) {
    std::vector<std::int64_t> parts;
    while (!version.empty()) {
        const auto dot = version.find('.');
        if (const auto part = version.substr(0, dot); !part.empty()) parts.push_back(versionPart(part));
        version.remove_prefix(dot == std::string_view::npos ? version.size() : dot + 1);
    }
    return parts;
}

std::int64_t systemSeconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

struct UpdateChecker::State {
    State(Dispatch& queue, Fetch fetcher, Options settings)
        : dispatch(queue), fetch(std::move(fetcher)), options(std::move(settings)) {}

    Dispatch& dispatch;
    Fetch fetch;
    Options options;
    std::optional<std::string> feed;
    std::optional<Info> available;
    Signal<const std::optional<Info>&> changed;

    static void check(const std::shared_ptr<State>& state);
    void assign(std::optional<Info> next);
};

void UpdateChecker::State::check(const std::shared_ptr<State>& state) {
    if (!state->feed || !state->fetch) return;
    const auto seconds = state->options.clock ? state->options.clock() : systemSeconds();
    std::weak_ptr<State> weak = state;
    Dispatch* dispatch = &state->dispatch;
    state->fetch(update_feed::withTimestamp(*state->feed, seconds), state->options.timeoutSeconds,
                 [weak, dispatch, current = state->options.currentVersion](std::optional<std::string> body) {
                     if (weak.expired() || !body) return;
                     auto entry = update_feed::parse(*body);
                     if (!entry) return;
                     std::optional<Info> next;
                     if (isNewer(entry->version, current)) next = std::move(*entry);
                     dispatch->post([weak, next = std::move(next)] {
                         if (const auto alive = weak.lock()) alive->assign(next);
                     });
                 });
}

void UpdateChecker::State::assign(std::optional<Info> next) {
    if (next == available) return;
    available = std::move(next);
    changed.publish(available);
}

UpdateChecker::UpdateChecker(Dispatch& dispatch, Fetch fetch, Options options)
    : state_(std::make_shared<State>(dispatch, std::move(fetch), std::move(options))) {
    if (state_->options.currentVersion.empty()) state_->options.currentVersion.push_back('0');
    if (update_feed::isWebUrl(state_->options.feed)) state_->feed = state_->options.feed;
}

UpdateChecker::~UpdateChecker() = default;

const std::optional<UpdateChecker::Info>& UpdateChecker::available() const {
    return state_->available;
}

Connection UpdateChecker::onAvailableChange(std::function<void(const std::optional<Info>&)> observer) {
    return state_->changed.connect(std::move(observer));
}

void UpdateChecker::check() {
    State::check(state_);
}

void UpdateChecker::start() {
    check();
    startPeriodicChecks();
}

void UpdateChecker::startPeriodicChecks() {
    timer_ = state_->dispatch.every(kCheckInterval, [weak = std::weak_ptr<State>(state_)] {
        if (const auto state = weak.lock()) State::check(state);
    });
}

void UpdateChecker::open() const {
    if (state_->available && state_->options.openUrl) state_->options.openUrl(state_->available->url);
}

const std::optional<std::string>& UpdateChecker::feed() const {
    return state_->feed;
}

const std::string& UpdateChecker::currentVersion() const {
    return state_->options.currentVersion;
}

bool UpdateChecker::isNewer(std::string_view a, std::string_view b) {
    const auto left = versionParts(a);
    const auto right = versionParts(b);
    for (std::size_t i = 0; i < std::max(left.size(), right.size()); ++i) {
        const std::int64_t x = i < left.size() ? left[i] : 0;
        const std::int64_t y = i < right.size() ? right[i] : 0;
        if (x != y) return x > y;
    }
    return false;
}

}  // namespace plimsa
