// The sizing half of SwingScene: seat layout, reach tests against test chains and the overlay size.

#include <algorithm>
#include <cmath>

#include "platform/desktop/Screens.h"
#include "platform/scene/Node.h"
#include "swing/SeatSizing.h"
#include "swing/SwingExtent.h"
#include "swing/SwingScene.h"
#include "swing/WindowSizing.h"

namespace plimsa {

namespace {
// A model whose measured width is unusable is seated as wide as the built-in figure.
double safeHalfWidth(double halfWidth) {
    return std::isfinite(halfWidth) ? std::clamp(halfWidth, 0.0, 3.0) : 0.45;
}
}  // namespace

SeatLayout SwingScene::layoutForSizes(const std::vector<double>& sizes) const {
    std::vector<double> halfWidths;
    for (size_t i = 0; i < characters_.size() && i < 2; ++i) {
        const double size = i < sizes.size() ? sizes[i] : tuning_.requestedSize(i);
        halfWidths.push_back(safeHalfWidth(characters_[i]->bodyHalfWidth()) * size);
    }
    return SeatSizing::layout(seatCount(), halfWidths);
}

SeatLayout SwingScene::seatLayout() const {
    return layoutForSizes(effectiveSizes_);
}

std::vector<double> SwingScene::chainXs() const {
    if (seatBuild_) {
        std::vector<double> xs;
        for (const Rope& rope : seatBuild_->ropes) xs.push_back(rope.bottom.x);
        return xs;
    }
    const double d = seatCount() == 2 ? 0.92 : 0.42;
    return {-d, d};
}

bool SwingScene::reachesChains(size_t index, double size, const SeatLayout& layout) {
    if (index >= characters_.size()) return true;
    SwingCharacter& character = *characters_[index];
    const double length = tuning_.ropeLength();
    const float h = static_cast<float>(layout.width * 0.5 - 0.08);
    const float bottom = static_cast<float>(0.07 - length);
    CharacterPose pose;
    pose.ropes = {Rope{{-h, 0.05f, 0.0f}, {-h, bottom, 0.0f}}, Rope{{h, 0.05f, 0.0f}, {h, bottom, 0.0f}}};
    pose.chainXs = {-h, h};

    const std::shared_ptr<Node>& root = character.root();
    if (root->parent() != swingParts_.get()) swingParts_->addChildNode(root);
    const double x = layout.xs.empty() ? 0.0 : layout.xs[std::min(index, layout.xs.size() - 1)];
    const double y = (tuning_.skin == SwingSkin::forest ? 0.11 : 0.035) - length;
    root->setPosition(glm::vec3(static_cast<float>(x), static_cast<float>(y), 0.0f));

    pose.gripReach = tuning_.gripReach;
    pose.lean = tuning_.lean;
    const CharacterFit fit = tuning_.fit(index);
    pose.seatLift = fit.lift;
    pose.seatForward = fit.forward;
    pose.sizeMultiplier = size;
    if (seatCount() == 2) {
        pose.handLeft = index == 0 ? HandMode::chain : HandMode::loose;
        pose.handRight = index == 0 ? HandMode::loose : HandMode::chain;
    } else {
        pose.handLeft = tuning_.handLeft;
        pose.handRight = tuning_.handRight;
        if (pose.handLeft != HandMode::chain && pose.handRight != HandMode::chain) return true;
    }
    for (const double leg : {-1.0, 0.0, 1.0}) {
        pose.leg = leg;
        services_.resetLapFallbacks();
        character.apply(pose, *swingParts_);
        if (services_.lapFallbacks() >= 1) return false;
    }
    return true;
}

double SwingScene::minimumSize(size_t index, const SeatLayout& layout) {
    if (index >= characters_.size() || characters_[index]->shoulders().empty()) return 0.0;
    return SeatSizing::minimumSize([&](double size) { return reachesChains(index, size, layout); });
}

SeatLayout SwingScene::resolveSizes() {
    const size_t count = std::max<size_t>(characters_.size(), 1);
    std::vector<double> requested;
    for (size_t i = 0; i < count; ++i) requested.push_back(tuning_.requestedSize(i));
    const SeatSizing::Resolution resolution = SeatSizing::resolve(
        requested, [this](const std::vector<double>& sizes) { return layoutForSizes(sizes); },
        [this](size_t index, const SeatLayout& layout) { return minimumSize(index, layout); });
    effectiveSizes_ = resolution.effectiveSizes;
    minCharacterSizes_ = resolution.minimumSizes;
    return resolution.layout;
}

WindowSize SwingScene::requiredSize(double amplitude) const {
    SwingExtent extent;
    extent.largestSize =
        effectiveSizes_.empty() ? 1.0 : *std::max_element(effectiveSizes_.begin(), effectiveSizes_.end());
    extent.ropeLength = tuning_.ropeLength();
    extent.tiltDegrees = tuning_.tiltDegrees;
    extent.seats = seatCount();
    extent.boardWidth = seatBuild_ ? seatBuild_->width : (extent.seats == 2 ? 2.0 : 1.0);
    extent.swingScale = tuning_.swingScale();
    std::optional<WindowSize> screen;
    if (services_.screens) {
        if (const auto frame = services_.screens->mainScreenFrame())
            screen = WindowSize{frame->width, frame->height};
    }
    return WindowSizing::requiredSize(extent, amplitude, screen);
}

}  // namespace plimsa
