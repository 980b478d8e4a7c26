#pragma once

#include <QtQml/qqmlregistration.h>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>
#include <optional>

#include "panel/CornerPage.h"
#include "panel/quick/PanelModel.h"

namespace plimsa {

/// The corner-sitter page's view-model over the `CornerPage` rules for the sitter `recordId`. Created in QML
/// inside its page; re-reads the store on every change of it. Sides and head modes cross into QML as their
/// stored names ("left", "cursor"). Without a panel, or while `recordId` is not a UUID or names no sitter,
/// it reads a default record and writes nothing. Main thread only.
class CornerPageModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(PanelModel* panel READ panel WRITE setPanel NOTIFY panelChanged)
    Q_PROPERTY(QString recordId READ recordId WRITE setRecordId NOTIFY recordIdChanged)
    Q_PROPERTY(bool exists READ exists NOTIFY valuesChanged)
    /// The character's display name, or "Corner sitter" while the seat is empty.
    Q_PROPERTY(QString title READ title NOTIFY valuesChanged)
    Q_PROPERTY(QString subtitle READ subtitle NOTIFY valuesChanged)
    Q_PROPERTY(QString character READ character WRITE setCharacter NOTIFY valuesChanged)
    Q_PROPERTY(QString side READ side WRITE setSide NOTIFY valuesChanged)
    Q_PROPERTY(double size READ size WRITE setSize NOTIFY valuesChanged)
    Q_PROPERTY(double opacity READ opacity WRITE setOpacity NOTIFY valuesChanged)
    Q_PROPERTY(QString headMode READ headMode WRITE setHeadMode NOTIFY valuesChanged)
    /// {value (name), label} per choice, in display order.
    Q_PROPERTY(QVariantList sideOptions READ sideOptions CONSTANT)
    Q_PROPERTY(QVariantList headOptions READ headOptions CONSTANT)
    Q_PROPERTY(QString placementHint READ placementHint CONSTANT)
    Q_PROPERTY(double minSize READ minSize CONSTANT)
    Q_PROPERTY(double maxSize READ maxSize CONSTANT)
    Q_PROPERTY(double minOpacity READ minOpacity CONSTANT)
    Q_PROPERTY(double maxOpacity READ maxOpacity CONSTANT)

  public:
    explicit CornerPageModel(QObject* parent = nullptr);

    PanelModel* panel() const { return panel_; }
    void setPanel(PanelModel* panel);
    QString recordId() const { return recordId_; }
    void setRecordId(const QString& id);

    bool exists() const;
    QString title() const;
    QString subtitle() const;
    QString character() const;
    void setCharacter(const QString& character);
    QString side() const;
    /// A name that is not a side is ignored.
    void setSide(const QString& side);
    double size() const;
    void setSize(double size);
    double opacity() const;
    void setOpacity(double opacity);
    QString headMode() const;
    /// A name that is not a head mode is ignored.
    void setHeadMode(const QString& mode);

    QVariantList sideOptions() const;
    QVariantList headOptions() const;
    QString placementHint() const;
    double minSize() const { return CornerPage::kMinSize; }
    double maxSize() const { return CornerPage::kMaxSize; }
    double minOpacity() const { return CornerPage::kMinOpacity; }
    double maxOpacity() const { return CornerPage::kMaxOpacity; }

    /// "Remove": drops the sitter and shows the page the rules choose next. Nothing without a sitter.
    Q_INVOKABLE void remove();

  signals:
    void panelChanged();
    void recordIdChanged();
    void valuesChanged();

  private:
    void rebuild();
    CornerConfig config() const;

    QPointer<PanelModel> panel_;
    QString recordId_;
    std::optional<CornerPage> page_;
    QMetaObject::Connection storeConnection_;
};

}  // namespace plimsa
