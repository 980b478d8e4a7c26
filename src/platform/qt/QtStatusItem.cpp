#include "platform/qt/QtStatusItem.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QKeySequence>
#include <QMenu>
#include <QPalette>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <algorithm>
#include <cmath>

#include "platform/image/Image.h"
#include "platform/qt/QtCoordinates.h"
#include "platform/qt/X11TrayGeometry.h"

namespace plimsa {
namespace {

/// The image's coverage, grown by one pixel: the outline drawn under the shape.
uint8_t grownAlpha(const Image& image, int x, int y) {
    uint8_t alpha = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int px = x + dx, py = y + dy;
            if (px >= 0 && py >= 0 && px < image.width && py < image.height)
                alpha = std::max(alpha, image.pixel(px, py)[3]);
        }
    return alpha;
}

/// Only the template's alpha counts: the shape in `ink` over an outline in `edge` (premultiplied ARGB).
QImage tinted(const Image& image, QColor ink, QColor edge) {
    QImage out(image.width, image.height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < image.width; ++x) {
            const double shape = image.pixel(x, y)[3] / 255.0;
            const double outline = grownAlpha(image, x, y) / 255.0 * 0.6;
            const double alpha = shape + outline * (1.0 - shape);
            auto channel = [&](int inkValue, int edgeValue) {
                return static_cast<int>(std::lround(inkValue * shape + edgeValue * outline * (1.0 - shape)));
            };
            row[x] = qRgba(channel(ink.red(), edge.red()), channel(ink.green(), edge.green()),
                           channel(ink.blue(), edge.blue()), static_cast<int>(std::lround(alpha * 255.0)));
        }
    }
    return out;
}

/// Ctrl with `key`. A single character is mapped directly (Qt's key codes for printable ASCII are the
/// upper-case characters), so "," is not taken for the separator of a key sequence.
QKeySequence commandShortcut(const QString& key) {
    if (key.size() == 1 && key[0].unicode() < 0x80)
        return QKeySequence(
            QKeyCombination(Qt::ControlModifier, static_cast<Qt::Key>(key[0].toUpper().unicode())));
    return QKeySequence(QStringLiteral("Ctrl+") + key);
}

}  // namespace

QtStatusItem::QtStatusItem() : menu_(std::make_unique<QMenu>()), tray_(std::make_unique<QSystemTrayIcon>()) {
    tray_->setToolTip(QStringLiteral("Plimsa"));
    tray_->setContextMenu(menu_.get());
    // Some tray hosts show the menu only on a right click; a left click opens it too.
    QObject::connect(tray_.get(), &QSystemTrayIcon::activated, menu_.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger) menu_->popup(QCursor::pos());
                     });
}

QtStatusItem::~QtStatusItem() {
    tray_->hide();
    tray_.reset();
}

bool QtStatusItem::isShown() const {
    return QSystemTrayIcon::isSystemTrayAvailable() && tray_->isVisible();
}

void QtStatusItem::setTemplateImage(const Image& image) {
    if (image.isEmpty() || image.byteCount() < static_cast<size_t>(image.width) * image.height * 4) return;
    const QPalette palette = QApplication::palette();
    const QImage drawn = tinted(image, palette.color(QPalette::WindowText), palette.color(QPalette::Window));
    tray_->setIcon(QIcon(QPixmap::fromImage(drawn)));
    // Shown once it has an icon: a tray host docks an empty item as a blank square.
    if (!tray_->isVisible()) tray_->show();
}

int QtStatusItem::addItem(StatusMenuItem item) {
    QAction* action =
        item.separator ? menu_->addSeparator() : menu_->addAction(QString::fromStdString(item.title));
    if (!item.separator) {
        if (!item.key.empty()) {
            action->setShortcut(commandShortcut(QString::fromStdString(item.key)));
            action->setShortcutVisibleInContextMenu(true);
        }
        action->setCheckable(item.checkable);
        action->setChecked(item.checked);
        if (item.action)
            QObject::connect(action, &QAction::triggered, menu_.get(),
                             [work = std::move(item.action)] { work(); });
    }
    action->setVisible(item.visible);
    actions_.push_back(action);
    return static_cast<int>(actions_.size()) - 1;
}

QAction* QtStatusItem::action(int index) const {
    return index >= 0 && index < static_cast<int>(actions_.size()) ? actions_[index] : nullptr;
}

void QtStatusItem::setTitle(int index, const std::string& title) {
    if (QAction* item = action(index)) item->setText(QString::fromStdString(title));
}

void QtStatusItem::setVisible(int index, bool visible) {
    if (QAction* item = action(index)) item->setVisible(visible);
}

void QtStatusItem::setChecked(int index, bool checked) {
    if (QAction* item = action(index)) item->setChecked(checked);
}

std::optional<DesktopRect> QtStatusItem::frame() const {
    if (!isShown()) return std::nullopt;
    // Qt reports an XEmbed icon at the origin of the tray's socket; the X server knows where it is.
    if (auto docked = x11_tray_geometry::dockedFrame(*tray_)) return qt_coordinates::fromQt(*docked);
    const QRect geometry = tray_->geometry();
    if (geometry.isEmpty()) return std::nullopt;
    return qt_coordinates::fromQt(QRectF(geometry));
}

}  // namespace plimsa
