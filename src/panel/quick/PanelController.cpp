#include "panel/quick/PanelController.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <QEvent>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickView>
#include <QScreen>

#include "library/PortraitScenes.h"
#include "panel/PanelPage.h"
#include "panel/quick/PanelModel.h"
#include "platform/desktop/Dispatch.h"

namespace plimsa {
namespace {

constexpr QSize kSize(940, 720);
constexpr QSize kMinimumSize(760, 520);
// Theme.bgTop, shown before the first frame.
const QColor kBackground = QColor::fromRgbF(0.11f, 0.09f, 0.2f);

QScreen* screenNamed(const QString& name) {
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->name() == name) return screen;
    return nullptr;
}

}  // namespace

PanelController::PanelController(PanelServices services, QObject* parent)
    : QObject(parent), services_(std::move(services)) {}

PanelController::~PanelController() {
    delete view_;
    delete model_;
}

QQuickWindow* PanelController::window() const {
    return view_;
}

void PanelController::show(bool onPacks) {
    if (onPacks) OpenOnPacks::shared().set();
    if (view_ == nullptr) {
        createWindow();
    } else if (OpenOnPacks::shared().consume()) {
        model_->show(PanelPage::packs());
    }
    view_->setWindowStates(view_->windowStates() & ~Qt::WindowMinimized);
    view_->show();
    view_->raise();
    view_->requestActivate();
}

void PanelController::createWindow() {
    // The launch arguments ask for the packs page once: later openings start on the user's swings.
    if (asksForPacksPage(services_.arguments)) OpenOnPacks::shared().set();
    services_.arguments.clear();
    model_ = new PanelModel(services_);
    view_ = new QQuickView();
    view_->setTitle(QStringLiteral("Plimsa"));
    view_->setColor(kBackground);
    view_->setResizeMode(QQuickView::SizeRootObjectToView);
    view_->setMinimumSize(kMinimumSize);
    view_->resize(kSize);
    // The module lives at qrc:/Plimsa/Panel; with this path `import Plimsa.Panel` finds its QML types as
    // well as its C++ ones, and they take precedence over same-named QtQuick types (Row).
    view_->engine()->addImportPath(QStringLiteral("qrc:/"));
    view_->setInitialProperties({{QStringLiteral("panel"), QVariant::fromValue(model_)}});
    view_->setSource(QUrl(QStringLiteral("qrc:/Plimsa/Panel/Main.qml")));
    place();
    connect(model_, &PanelModel::closeRequested, this, &PanelController::closeWindow);
    view_->installEventFilter(this);
}

bool PanelController::eventFilter(QObject* watched, QEvent* event) {
    // The window's close button, Escape, Ctrl+W and closeWindow all arrive here.
    if (watched == view_ && event->type() == QEvent::Close) dropWindow();
    return QObject::eventFilter(watched, event);
}

void PanelController::place() {
    QScreen* screen = lastPlace_ ? screenNamed(lastPlace_->first) : nullptr;
    if (screen != nullptr) {
        view_->setScreen(screen);
        view_->setPosition(lastPlace_->second);
        return;
    }
    screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    view_->setScreen(screen);
    const QRect area = screen->availableGeometry();
    view_->setPosition(area.center() - QPoint(kSize.width() / 2, kSize.height() / 2));
}

void PanelController::closeWindow() {
    if (view_ != nullptr) view_->close();
}

void PanelController::dropWindow() {
    if (view_ == nullptr) return;
    if (view_->screen() != nullptr) lastPlace_.emplace(view_->screen()->name(), view_->position());
    // Called from the window's own close handling: both go once it returns, the view (and the items that
    // read the model) first.
    view_->deleteLater();
    model_->deleteLater();
    view_ = nullptr;
    model_ = nullptr;
    PortraitScenes& portraits = services_.portraits;
    services_.dispatch.after(kPortraitReleaseSeconds, [&portraits] {
        portraits.removeAll();
#ifdef __GLIBC__
        // The window's render thread freed its memory into an allocator arena of its own, which glibc keeps
        // mapped: without this, every opening and closing leaves the process about 18 MiB larger.
        malloc_trim(0);
#endif
    });
}

}  // namespace plimsa
