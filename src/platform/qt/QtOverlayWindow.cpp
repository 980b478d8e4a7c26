#include "platform/qt/QtOverlayWindow.h"

#include <QExposeEvent>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "platform/qt/QtCoordinates.h"

namespace plimsa {

class QtOverlayWindow::Surface final : public QWindow {
  public:
    explicit Surface(QtOverlayWindow& owner) : owner_(owner) {}

  protected:
    // Exposed or resized, the window may no longer hold the frame last drawn in it.
    void exposeEvent(QExposeEvent*) override {
        OverlayRenderer::contentsLost(owner_.view_);
        if (!isExposed()) return;
        if (!owner_.view_.playing) owner_.renderer_.drawStill(owner_.view_);
    }
    void resizeEvent(QResizeEvent*) override { OverlayRenderer::contentsLost(owner_.view_); }
    void mousePressEvent(QMouseEvent* event) override {
        event->accept();
        if (owner_.onClick_) owner_.onClick_();
    }

  private:
    QtOverlayWindow& owner_;
};

namespace {

double sideOf(double points) {
    return std::isfinite(points) ? std::max(1.0, std::round(points)) : 1.0;
}

}  // namespace

QtOverlayWindow::QtOverlayWindow(OverlayRenderer& renderer, const OverlayContent& content, double width,
                                 double height)
    : renderer_(renderer),
      surface_(std::make_unique<Surface>(*this)),
      frame_{0, 0, sideOf(width), sideOf(height)} {
    surface_->setSurfaceType(QSurface::OpenGLSurface);
    surface_->setFormat(OverlayRenderer::surfaceFormat());
    surface_->setTitle(QStringLiteral("Plimsa"));
    // Kept away from the window manager (override-redirect on X11): a managed window sits in a frame of
    // the manager's, and that frame would catch the clicks our empty input shape lets through. Unmanaged,
    // it is also on every workspace, never focused, never listed and placed exactly where asked.
    surface_->setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                       Qt::BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus |
                       Qt::WindowTransparentForInput);
    place();
    view_.window = surface_.get();
    view_.content = content;
    renderer_.add(view_);
}

QtOverlayWindow::~QtOverlayWindow() {
    renderer_.remove(view_);
    surface_->destroy();
}

QWindow& QtOverlayWindow::window() {
    return *surface_;
}

void QtOverlayWindow::place() {
    const QRectF rect = qt_coordinates::toQt(frame_);
    surface_->setGeometry(static_cast<int>(std::lround(rect.x())), static_cast<int>(std::lround(rect.y())),
                          static_cast<int>(rect.width()), static_cast<int>(rect.height()));
}

void QtOverlayWindow::setFrameOrigin(DesktopPoint origin) {
    if (!std::isfinite(origin.x) || !std::isfinite(origin.y)) return;
    frame_.x = origin.x;
    frame_.y = origin.y;
    place();
}

void QtOverlayWindow::setContentSize(double width, double height) {
    frame_.width = sideOf(width);
    frame_.height = sideOf(height);
    place();
}

bool QtOverlayWindow::isVisible() const {
    return surface_->isVisible();
}

void QtOverlayWindow::orderFront() {
    if (surface_->isVisible()) return;
    OverlayRenderer::contentsLost(view_);
    surface_->show();
}

void QtOverlayWindow::orderOut() {
    surface_->hide();
}

void QtOverlayWindow::setIgnoresMouseEvents(bool ignores) {
    if (ignores == ignoresMouse_) return;
    ignoresMouse_ = ignores;
    surface_->setFlag(Qt::WindowTransparentForInput, ignores);
}

void QtOverlayWindow::setAlpha(double alpha) {
    surface_->setOpacity(std::isfinite(alpha) ? std::clamp(alpha, 0.0, 1.0) : 1.0);
}

void QtOverlayWindow::setPlaying(bool playing) {
    if (playing == view_.playing) return;
    view_.playing = playing;
    renderer_.viewChanged(view_);
}

void QtOverlayWindow::setPreferredFramesPerSecond(int framesPerSecond) {
    if (framesPerSecond == view_.framesPerSecond) return;
    view_.framesPerSecond = framesPerSecond;
    renderer_.viewChanged(view_);
}

}  // namespace plimsa
