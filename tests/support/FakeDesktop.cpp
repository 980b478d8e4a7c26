#include "support/FakeDesktop.h"

#include <algorithm>
#include <stdexcept>

namespace plimsa::testing {

StatusMenuItem& FakeStatusItem::item(const std::string& title) {
    for (auto& entry : items)
        if (entry.title == title) return entry;
    throw std::out_of_range("no menu item " + title);
}

FakeDesktop::FakeDesktop() : live_(std::make_shared<std::vector<FakeOverlayWindow*>>()) {}
FakeDesktop::~FakeDesktop() = default;

FakeOverlayWindow::FakeOverlayWindow(OverlayContent content, double width, double height, Registry registry)
    : content(std::move(content)), rect{0.0, 0.0, width, height}, registry_(std::move(registry)) {
    if (registry_) registry_->push_back(this);
}

FakeOverlayWindow::~FakeOverlayWindow() {
    if (registry_) std::erase(*registry_, this);
}

std::unique_ptr<OverlayWindow> FakeDesktop::createOverlay(const OverlayContent& content, double width,
                                                          double height) {
    return std::make_unique<FakeOverlayWindow>(content, width, height, live_);
}

std::unique_ptr<StatusItem> FakeDesktop::createStatusItem() {
    auto item = std::make_unique<FakeStatusItem>();
    status_ = item.get();
    return item;
}

std::vector<FakeOverlayWindow*> FakeDesktop::overlays() const {
    return *live_;
}

}  // namespace plimsa::testing
