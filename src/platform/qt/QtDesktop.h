#pragma once

#include <memory>

#include "platform/desktop/Desktop.h"

namespace plimsa {

class OverlayRenderer;
class QtDispatch;
class QtScreens;

/// The desktop on Qt: screens and the mouse from QGuiApplication, the window list from X11 when the
/// platform is xcb (elsewhere a list that never has a front window), the main queue on the Qt event loop,
/// overlays drawn by one shared renderer and frame clock, and the tray icon.
///
/// Needs a QApplication (the tray menu is a widget). Destroy every overlay before the desktop; the
/// desktop releases the renderer's GL resources with its context current. GUI thread only.
class QtDesktop final : public Desktop {
  public:
    QtDesktop();
    ~QtDesktop() override;

    const Screens& screens() const override;
    DesktopPoint mouseLocation() const override;
    WindowList& windowList() override;
    Dispatch& dispatch() override;
    std::unique_ptr<OverlayWindow> createOverlay(const OverlayContent& content, double width,
                                                 double height) override;
    std::unique_ptr<StatusItem> createStatusItem() override;
    void quit() override;

    OverlayRenderer& overlayRenderer() { return *renderer_; }

  private:
    std::unique_ptr<QtScreens> screens_;
    std::unique_ptr<WindowList> windowList_;
    std::unique_ptr<QtDispatch> dispatch_;
    std::unique_ptr<OverlayRenderer> renderer_;
};

}  // namespace plimsa
