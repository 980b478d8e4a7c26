#include "app/UpdateCheckerNotice.h"

#include <utility>

#include "update/UpdateChecker.h"

namespace plimsa {
namespace {

std::optional<UpdateInfo> toNotice(const std::optional<UpdateChecker::Info>& info) {
    if (!info) return std::nullopt;
    return UpdateInfo{info->version, info->url, info->notes};
}

}  // namespace

std::optional<UpdateInfo> UpdateCheckerNotice::available() const {
    return toNotice(checker_.available());
}

Connection UpdateCheckerNotice::onAvailableChange(Observer observer) {
    return checker_.onAvailableChange(
        [observer = std::move(observer)](const std::optional<UpdateChecker::Info>& info) {
            observer(toNotice(info));
        });
}

void UpdateCheckerNotice::check() {
    checker_.check();
}

void UpdateCheckerNotice::open() {
    checker_.open();
}

void UpdateCheckerNotice::startPeriodicChecks() {
    checker_.startPeriodicChecks();
}

}  // namespace plimsa
