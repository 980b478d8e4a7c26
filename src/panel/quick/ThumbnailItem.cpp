#include "panel/quick/ThumbnailItem.h"

#include <QPainter>
#include <QQuickWindow>
#include <algorithm>
#include <cmath>

#include "library/CharacterPreviews.h"
#include "platform/image/Image.h"

namespace plimsa {
namespace {

// The image cropped to the aspect of `size` around its centre and scaled to it with area averaging.
QImage filling(const Image& image, QSize size) {
    const QImage source(
        image.pixels.data(), image.width, image.height, image.width * 4,
        image.premultiplied ? QImage::Format_RGBA8888_Premultiplied : QImage::Format_RGBA8888);
    return source.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation)
        .copy(QRect(QPoint(0, 0), size));
}

}  // namespace

ThumbnailItem::ThumbnailItem(QQuickItem* parent) : QQuickPaintedItem(parent) {
    setAntialiasing(true);
}

ThumbnailItem::~ThumbnailItem() = default;

void ThumbnailItem::setPanel(PanelModel* panel) {
    if (panel_ == panel) return;
    disconnect(previewsConnection_);
    panel_ = panel;
    if (panel_ != nullptr)
        previewsConnection_ =
            connect(panel_, &PanelModel::previewsChanged, this, &ThumbnailItem::previewsChanged);
    reload();
    emit panelChanged();
}

void ThumbnailItem::setName(const QString& name) {
    if (name_ == name) return;
    name_ = name;
    reload();
    emit nameChanged();
}

void ThumbnailItem::setRadius(qreal radius) {
    if (radius_ == radius) return;
    radius_ = radius;
    update();
    emit radiusChanged();
}

void ThumbnailItem::previewsChanged(const QString& name) {
    if (name == name_) reload();
}

void ThumbnailItem::reload() {
    std::shared_ptr<const plimsa::Image> image;
    if (panel_ != nullptr && !name_.isEmpty()) image = panel_->services().previews.image(name_.toStdString());
    if (image && image->isEmpty()) image.reset();
    if (image == image_) return;
    const bool wasAvailable = available();
    image_ = std::move(image);
    scaled_ = QImage();
    update();
    if (available() != wasAvailable) emit availableChanged();
}

void ThumbnailItem::paint(QPainter* painter) {
    if (!image_) return;
    const qreal ratio = window() != nullptr ? window()->effectiveDevicePixelRatio() : 1.0;
    const QSize pixels(std::max(1, static_cast<int>(std::ceil(width() * ratio))),
                       std::max(1, static_cast<int>(std::ceil(height() * ratio))));
    if (scaled_.size() != pixels) scaled_ = filling(*image_, pixels);
    // Filling a rounded shape with the image as its brush keeps the corners antialiased (a clip would not).
    QBrush brush(scaled_);
    brush.setTransform(QTransform::fromScale(1.0 / ratio, 1.0 / ratio));
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(brush);
    painter->drawRoundedRect(boundingRect(), radius_, radius_);
}

}  // namespace plimsa
