#include "platform/qt/QtDesktop.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include "platform/qt/OverlayRenderer.h"
#include "platform/qt/QtCoordinates.h"
#include "platform/qt/QtDispatch.h"
#include "platform/qt/QtOverlayWindow.h"
#include "platform/qt/QtScreens.h"
#include "platform/qt/QtStatusItem.h"
#include "platform/x11/X11WindowList.h"

namespace plimsa {
namespace {

/// Where no X11 window list can be read: nothing is ever in front, so swings that follow windows hide.
class EmptyWindowList final : public WindowList {
  public:
    std::optional<RunningApplication> frontmostApplication() override { return std::nullopt; }
    bool isTerminated(int32_t) override { return true; }
    std::vector<ListedWindow> onScreenWindows() override { return {}; }
    int32_t ownPid() const override { return static_cast<int32_t>(::getpid()); }
};

std::unique_ptr<WindowList> makeWindowList() {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (auto list = createX11WindowList(nullptr, screen != nullptr ? screen->devicePixelRatio() : 1.0))
            return list;
    }
    return std::make_unique<EmptyWindowList>();
}

/// Raises the overlays again whenever another application comes to the front: window managers raise the
/// window they activate, and some raise it above the windows they do not manage, such as our overlays.
class RaisingWindowList final : public WindowList {
  public:
    RaisingWindowList(std::unique_ptr<WindowList> list, OverlayRenderer& overlays)
        : list_(std::move(list)), overlays_(overlays) {}

    std::optional<RunningApplication> frontmostApplication() override {
        auto front = list_->frontmostApplication();
        if (front != lastFront_) {
            lastFront_ = front;
            overlays_.raiseShown();
        }
        return front;
    }
    bool isTerminated(int32_t pid) override { return list_->isTerminated(pid); }
    std::vector<ListedWindow> onScreenWindows() override { return list_->onScreenWindows(); }
    int32_t ownPid() const override { return list_->ownPid(); }

  private:
    std::unique_ptr<WindowList> list_;
    OverlayRenderer& overlays_;
    std::optional<RunningApplication> lastFront_;
};

}  // namespace

QtDesktop::QtDesktop()
    : screens_(std::make_unique<QtScreens>()),
      dispatch_(std::make_unique<QtDispatch>()),
      renderer_(std::make_unique<OverlayRenderer>()) {
    windowList_ = std::make_unique<RaisingWindowList>(makeWindowList(), *renderer_);
}

QtDesktop::~QtDesktop() = default;

const Screens& QtDesktop::screens() const {
    return *screens_;
}

DesktopPoint QtDesktop::mouseLocation() const {
    return qt_coordinates::fromQt(QPointF(QCursor::pos()));
}

WindowList& QtDesktop::windowList() {
    return *windowList_;
}

Dispatch& QtDesktop::dispatch() {
    return *dispatch_;
}

std::unique_ptr<OverlayWindow> QtDesktop::createOverlay(const OverlayContent& content, double width,
                                                        double height) {
    return std::make_unique<QtOverlayWindow>(*renderer_, content, width, height);
}

std::unique_ptr<StatusItem> QtDesktop::createStatusItem() {
    return std::make_unique<QtStatusItem>();
}

void QtDesktop::quit() {
    QCoreApplication::quit();
}

}  // namespace plimsa
