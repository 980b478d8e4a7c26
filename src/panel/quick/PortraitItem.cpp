// libepoxy must come before any Qt OpenGL header.
#include <epoxy/gl.h>

#include "panel/quick/PortraitItem.h"

#include <QCoreApplication>
#include <QCursor>
#include <QOpenGLFramebufferObject>
#include <QQuickOpenGLUtils>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <vector>

#include "library/PortraitScene.h"
#include "library/PortraitView.h"
#include "panel/quick/PortraitRenderer.h"

namespace plimsa {
namespace {

// One clock for every live portrait, so that all of them pose in the same turn of the event loop and
// their windows draw once per frame rather than once per portrait. Its timer belongs to the application.
class PortraitClock {
  public:
    using Tick = std::function<void(const QPoint& cursor)>;

    static PortraitClock& shared() {
        static PortraitClock clock;
        return clock;
    }

    void add(const PortraitItem* item, Tick tick) {
        remove(item);
        ticks_.push_back({item, std::move(tick)});
        if (!timer_) {
            timer_ = new QTimer(QCoreApplication::instance());
            timer_->setTimerType(Qt::PreciseTimer);
            QObject::connect(timer_, &QTimer::timeout, timer_, [this] { tickAll(); });
        }
        // Rounded up: never faster than the portrait rate.
        if (!timer_->isActive())
            timer_->start(static_cast<int>(std::ceil(1000.0 / PortraitItem::kFramesPerSecond)));
    }
    void remove(const PortraitItem* item) {
        std::erase_if(ticks_, [item](const Entry& entry) { return entry.item == item; });
        if (ticks_.empty() && timer_) timer_->stop();
    }

  private:
    struct Entry {
        const PortraitItem* item;
        Tick tick;
    };

    void tickAll() {
        const QPoint cursor = QCursor::pos();
        const std::vector<Entry> entries = ticks_;
        for (const Entry& entry : entries) {
            // An earlier tick may have removed a later item.
            auto listed = [&](const Entry& each) { return each.item == entry.item; };
            if (std::any_of(ticks_.begin(), ticks_.end(), listed)) entry.tick(cursor);
        }
    }

    QPointer<QTimer> timer_;
    std::vector<Entry> ticks_;
};

}  // namespace

/// Lives on the render thread; `synchronize` runs with the GUI thread blocked and copies all it needs.
class PortraitItem::FrameRenderer : public QQuickFramebufferObject::Renderer {
  public:
    ~FrameRenderer() override {
        std::lock_guard<std::mutex> guard(PortraitRenderer::sceneLock());
        scene_.reset();
    }

    void synchronize(QQuickFramebufferObject* item) override {
        auto* portrait = static_cast<PortraitItem*>(item);
        std::shared_ptr<PortraitScene> scene = portrait->view_ ? portrait->view_->portrait() : nullptr;
        {
            std::lock_guard<std::mutex> guard(PortraitRenderer::sceneLock());
            scene_.swap(scene);
        }
        generation_ = portrait->generation_;
        drawn_ = portrait->drawn_;
        const qreal ratio =
            portrait->window() != nullptr ? portrait->window()->effectiveDevicePixelRatio() : 1.0;
        radius_ = static_cast<float>(portrait->radius_ * ratio);
    }

    QOpenGLFramebufferObject* createFramebufferObject(const QSize& size) override {
        // Single-sampled and without a depth buffer: the scene renderer draws in targets of its own.
        return new QOpenGLFramebufferObject(size, QOpenGLFramebufferObjectFormat());
    }

    void render() override {
        QOpenGLFramebufferObject* target = framebufferObject();
        if (scene_ && !renderer_ && !failed_) {
            renderer_ = PortraitRenderer::forCurrentContext();
            failed_ = !renderer_;
        }
        bool drawn = false;
        if (scene_ && renderer_) {
            std::lock_guard<std::mutex> guard(PortraitRenderer::sceneLock());
            drawn = renderer_->draw(*scene_, target->handle(), target->width(), target->height(), radius_);
        }
        if (drawn) {
            drawn_->generation.store(generation_);
        } else {
            glBindFramebuffer(GL_FRAMEBUFFER, target->handle());
            glDisable(GL_SCISSOR_TEST);
            glClearColor(0, 0, 0, 0);
            glClear(GL_COLOR_BUFFER_BIT);
        }
        QQuickOpenGLUtils::resetOpenGLState();
    }

  private:
    std::shared_ptr<PortraitScene> scene_;
    std::shared_ptr<PortraitRenderer> renderer_;
    std::shared_ptr<Drawn> drawn_;
    std::uint64_t generation_ = 0;
    float radius_ = 0;
    bool failed_ = false;
};

PortraitItem::PortraitItem(QQuickItem* parent) : QQuickFramebufferObject(parent) {
    // Contents only once the window is known to draw with OpenGL.
    setFlag(ItemHasContents, false);
    clock_.start();
}

PortraitItem::~PortraitItem() {
    PortraitClock::shared().remove(this);
}

QQuickFramebufferObject::Renderer* PortraitItem::createRenderer() const {
    return new FrameRenderer;
}

void PortraitItem::setPanel(PanelModel* panel) {
    if (panel_ == panel) return;
    view_.reset();
    panel_ = panel;
    refresh();
    emit panelChanged();
}

void PortraitItem::setName(const QString& name) {
    if (name_ == name) return;
    name_ = name;
    refresh();
    emit nameChanged();
}

void PortraitItem::setLive(bool live) {
    if (live_ == live) return;
    live_ = live;
    refresh();
    emit liveChanged();
}

void PortraitItem::setRadius(qreal radius) {
    if (radius_ == radius) return;
    radius_ = radius;
    update();
    emit radiusChanged();
}

void PortraitItem::itemChange(ItemChange change, const ItemChangeData& value) {
    QQuickFramebufferObject::itemChange(change, value);
    if (change == ItemSceneChange) refresh();
}

bool PortraitItem::drawsWithOpenGL() const {
    const QQuickWindow* shown = window();
    return shown != nullptr && shown->rendererInterface() != nullptr &&
           shown->rendererInterface()->graphicsApi() == QSGRendererInterface::OpenGL;
}

void PortraitItem::refresh() {
    const bool openGL = drawsWithOpenGL();
    setFlag(ItemHasContents, openGL);
    if (!live_ || panel_ == nullptr || name_.isEmpty() || !openGL) {
        PortraitClock::shared().remove(this);
        view_.reset();
        setReady(false);
        update();
        return;
    }
    if (!view_) {
        view_ = std::make_unique<PortraitView>(panel_->services().portraits, [this] { attached(); });
        PortraitClock::shared().add(this, [this](const QPoint& cursor) { tick(cursor); });
    }
    const std::string name = name_.toStdString();
    if (view_->name() != name) {
        setReady(false);
        ++generation_;  // nothing drawn before the new scene counts for it
        view_->setName(name);
        update();
    }
}

void PortraitItem::attached() {
    ++generation_;
    setReady(false);
    asked_.clear();
    update();
    QTimer::singleShot(kReadyDelayMs, this, [this, generation = generation_] {
        if (generation != generation_) return;
        readyAfter_ = generation;
        updateReady();
    });
}

void PortraitItem::updateReady() {
    setReady(view_ && view_->portrait() && readyAfter_ == generation_ &&
             drawn_->generation.load() == generation_);
}

bool PortraitItem::inView() const {
    const QQuickWindow* shown = window();
    if (shown == nullptr || !isVisible()) return false;
    QRectF seen = mapRectToScene(boundingRect()) & QRectF(0, 0, shown->width(), shown->height());
    // A scrolled page clips it away; so may any other clipping item above it.
    for (const QQuickItem* above = parentItem(); above != nullptr && !seen.isEmpty();
         above = above->parentItem())
        if (above->clip()) seen &= above->mapRectToScene(above->boundingRect());
    return !seen.isEmpty();
}

void PortraitItem::tick(const QPoint& cursor) {
    QQuickWindow* shown = window();
    if (!view_ || !view_->portrait() || shown == nullptr || !shown->isExposed() || !inView()) return;
    std::optional<glm::vec2> mouse;
    if (shown->isVisible()) {
        const QPointF point = mapFromGlobal(QPointF(cursor));
        mouse = glm::vec2(point.x(), height() - point.y());
    }
    const glm::vec2 size(width(), height());
    const qreal ratio = shown->effectiveDevicePixelRatio();
    FrameSignature frame;
    {
        std::lock_guard<std::mutex> guard(PortraitRenderer::sceneLock());
        view_->frame(static_cast<double>(clock_.nsecsElapsed()) * 1e-9, mouse, size);
        const PortraitScene& scene = *view_->portrait();
        // Another item showing the same character may have posed it; the frame is compared all the same.
        frame = FrameSignature::of(*scene.scene(), *scene.cameraNode(),
                                   static_cast<int>(std::lround(width() * ratio)),
                                   static_cast<int>(std::lround(height() * ratio)), 1);
    }
    if (frame != asked_) {
        asked_ = std::move(frame);
        update();
    }
    if (!ready_) updateReady();
}

void PortraitItem::setReady(bool ready) {
    if (ready_ == ready) return;
    ready_ = ready;
    emit readyChanged();
}

}  // namespace plimsa
