#pragma once

#include <QtQml/qqmlregistration.h>
#include <QElapsedTimer>
#include <QPoint>
#include <QPointer>
#include <QQuickFramebufferObject>
#include <atomic>
#include <cstdint>
#include <memory>

#include "panel/quick/PanelModel.h"
#include "platform/render/FrameSignature.h"

namespace plimsa {

class PortraitView;

/// A live portrait: the character `name` standing in its shared portrait scene, breathing and looking
/// toward the mouse, posed at 24 frames per second and drawn without antialiasing into the item's
/// framebuffer, cut to a rounded square of corner `radius` (points). A frame the same as the one asked for
/// last is not asked for again, and a portrait out of view (scrolled away) is not posed, so neither makes
/// its window repaint. `ready` turns true once the scene has been shown for 0.15 s and drawn at least
/// once; until then (and whenever the item cannot draw) the page shows the thumbnail under it.
///
/// Only where Qt Quick draws with OpenGL: elsewhere (the software scene graph, say) the item loads
/// nothing, draws nothing and stays not ready. The scene is posed on the GUI thread and drawn on Qt Quick's
/// render thread; both hold one lock around every use of a live portrait scene. Every item of one window
/// draws with the same scene renderer, made and freed on the render thread with its context current.
///
/// GUI thread, apart from the renderer it makes.
class PortraitItem : public QQuickFramebufferObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(PanelModel* panel READ panel WRITE setPanel NOTIFY panelChanged)
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(bool live READ live WRITE setLive NOTIFY liveChanged)
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY radiusChanged)
    Q_PROPERTY(bool ready READ ready NOTIFY readyChanged)

  public:
    static constexpr int kFramesPerSecond = 24;
    static constexpr int kReadyDelayMs = 150;

    explicit PortraitItem(QQuickItem* parent = nullptr);
    ~PortraitItem() override;

    PanelModel* panel() const { return panel_; }
    void setPanel(PanelModel* panel);
    QString name() const { return name_; }
    void setName(const QString& name);
    bool live() const { return live_; }
    void setLive(bool live);
    qreal radius() const { return radius_; }
    void setRadius(qreal radius);
    bool ready() const { return ready_; }

    Renderer* createRenderer() const override;

  signals:
    void panelChanged();
    void nameChanged();
    void liveChanged();
    void radiusChanged();
    void readyChanged();

  protected:
    void itemChange(ItemChange change, const ItemChangeData& value) override;

  private:
    class FrameRenderer;
    /// What the render thread reports back: the generation of the last scene it drew.
    struct Drawn {
        std::atomic<std::uint64_t> generation{0};
    };

    bool drawsWithOpenGL() const;
    /// Holds a portrait view exactly while the item is live, named, in an OpenGL window and has a panel.
    void refresh();
    void attached();
    /// Whether some of it shows: visible, and not clipped away by the window or a clipping item above it.
    bool inView() const;
    void tick(const QPoint& cursor);
    void updateReady();
    void setReady(bool ready);

    QPointer<PanelModel> panel_;
    QString name_;
    bool live_ = false;
    qreal radius_ = 0;
    bool ready_ = false;
    std::unique_ptr<PortraitView> view_;
    // Counts the scenes shown; 0 means none. The render thread copies it with the scene.
    std::uint64_t generation_ = 0;
    std::uint64_t readyAfter_ = 0;  // the generation whose 0.15 s have passed
    std::shared_ptr<Drawn> drawn_ = std::make_shared<Drawn>();
    FrameSignature asked_;  // the frame of the last tick that asked for a repaint
    QElapsedTimer clock_;
};

}  // namespace plimsa
