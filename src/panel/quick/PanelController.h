#pragma once

#include <QObject>
#include <QPoint>
#include <QString>
#include <memory>
#include <optional>

#include "panel/quick/PanelServices.h"

class QQuickView;
class QQuickWindow;

namespace plimsa {

class PanelModel;

/// Owns the settings panel's one window, absent until first shown: a Qt Quick view of Main.qml titled
/// "Plimsa", 940 x 720, centred on the primary screen the first time and reopened where it was last
/// closed. Closing drops the window and its view-model, so the next `show` starts from a fresh library
/// and initial page, and 3.5 s later empties the portrait-scene pool. Main thread only; the app must have
/// chosen OpenGL for Qt Quick before the first `show`.
class PanelController : public QObject {
    Q_OBJECT

  public:
    static constexpr double kPortraitReleaseSeconds = 3.5;

    /// `services` must outlive the controller.
    explicit PanelController(PanelServices services, QObject* parent = nullptr);
    ~PanelController() override;

    /// Opens the panel or brings it to the front (restored when minimised). With `onPacks`, or on the first
    /// opening when the launch arguments hold "--panel-packs", it shows the packs page.
    void show(bool onPacks = false);
    /// Closes the panel as its close button would; nothing when it is not open.
    void closeWindow();
    bool isOpen() const { return view_ != nullptr; }
    /// The open window, or null.
    QQuickWindow* window() const;
    /// The open window's view-model, or null.
    PanelModel* model() const { return model_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createWindow();
    void place();
    void dropWindow();

    PanelServices services_;
    QQuickView* view_ = nullptr;
    PanelModel* model_ = nullptr;
    /// Where the window was when it last closed: its screen's name and its position.
    std::optional<std::pair<QString, QPoint>> lastPlace_;
};

}  // namespace plimsa
