#include "platform/qt/X11TrayGeometry.h"

#include <xcb/xcb.h>

#include <QApplication>
#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <QThread>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <memory>

namespace plimsa::x11_tray_geometry {
namespace {

template <typename Reply>
using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

/// The widget Qt docks for a tray icon: a top-level widget of its own private class.
const QWidget* iconWidget() {
    for (const QWidget* widget : QApplication::topLevelWidgets())
        if (qstrcmp(widget->metaObject()->className(), "QSystemTrayIconSys") == 0 && widget->isVisible())
            return widget;
    return nullptr;
}

xcb_window_t parentOf(xcb_connection_t* connection, xcb_window_t window) {
    Owned<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr), &std::free);
    return tree ? tree->parent : xcb_window_t{XCB_WINDOW_NONE};
}

}  // namespace

std::optional<QRectF> dockedFrame(const QSystemTrayIcon& icon) {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    const QWidget* widget = icon.isVisible() ? iconWidget() : nullptr;
    if (x11 == nullptr || widget == nullptr || widget->windowHandle() == nullptr) return std::nullopt;
    xcb_connection_t* connection = x11->connection();
    const auto window = static_cast<xcb_window_t>(widget->winId());
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    // Docking is the tray host's reparenting, which follows the request asynchronously.
    for (int attempt = 0; parentOf(connection, window) == root; ++attempt) {
        if (attempt == 50) return std::nullopt;
        QThread::msleep(10);
    }
    Owned<xcb_translate_coordinates_reply_t> at(
        xcb_translate_coordinates_reply(connection, xcb_translate_coordinates(connection, window, root, 0, 0),
                                        nullptr),
        &std::free);
    Owned<xcb_get_geometry_reply_t> size(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr), &std::free);
    if (!at || !size) return std::nullopt;
    const double ratio = widget->devicePixelRatioF();
    return QRectF(at->dst_x / ratio, at->dst_y / ratio, size->width / ratio, size->height / ratio);
}

}  // namespace plimsa::x11_tray_geometry
