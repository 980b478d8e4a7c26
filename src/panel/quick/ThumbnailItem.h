#pragma once

#include <QtQml/qqmlregistration.h>
#include <QImage>
#include <QPointer>
#include <QQuickPaintedItem>
#include <memory>

#include "panel/quick/PanelModel.h"

namespace plimsa {

struct Image;

/// A character's thumbnail from the panel's `CharacterPreviews`, scaled to fill the item (cropped to its
/// shape) and cut to a rounded rectangle of corner `radius` (points). Asking for a thumbnail that is
/// missing starts its render; the item updates when the previews announce its name. `available` says
/// whether there is a thumbnail to show. Draws with any scene graph backend. GUI thread.
class ThumbnailItem : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(PanelModel* panel READ panel WRITE setPanel NOTIFY panelChanged)
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY radiusChanged)
    Q_PROPERTY(bool available READ available NOTIFY availableChanged)

  public:
    explicit ThumbnailItem(QQuickItem* parent = nullptr);
    ~ThumbnailItem() override;

    PanelModel* panel() const { return panel_; }
    void setPanel(PanelModel* panel);
    QString name() const { return name_; }
    void setName(const QString& name);
    qreal radius() const { return radius_; }
    void setRadius(qreal radius);
    bool available() const { return image_ != nullptr; }

    void paint(QPainter* painter) override;

  signals:
    void panelChanged();
    void nameChanged();
    void radiusChanged();
    void availableChanged();

  private:
    void reload();
    void previewsChanged(const QString& name);

    QPointer<PanelModel> panel_;
    QMetaObject::Connection previewsConnection_;
    QString name_;
    qreal radius_ = 0;
    std::shared_ptr<const plimsa::Image> image_;  // qualified: QQuickPaintedItem has an enumerator Image
    // `image_` scaled to the item's pixels, made again when either changes.
    QImage scaled_;
};

}  // namespace plimsa
