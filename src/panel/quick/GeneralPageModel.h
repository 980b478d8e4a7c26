#pragma once

#include <QtQml/qqmlregistration.h>
#include <QObject>
#include <QPointer>
#include <QVariantList>

#include "panel/quick/PanelModel.h"

namespace plimsa {

/// The general page's view-model: the light contrast and the frame rate shared by every swing, over the
/// `GeneralPage` rules. Created in QML inside its page; reads the store on every change of it. Without a
/// panel it reads the defaults and writes nothing. Main thread only.
class GeneralPageModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(PanelModel* panel READ panel WRITE setPanel NOTIFY panelChanged)
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QString subtitle READ subtitle CONSTANT)
    Q_PROPERTY(QString performanceHint READ performanceHint CONSTANT)
    Q_PROPERTY(double lightContrast READ lightContrast WRITE setLightContrast NOTIFY valuesChanged)
    Q_PROPERTY(int frameRate READ frameRate WRITE setFrameRate NOTIFY valuesChanged)
    /// {value (int), label} per rate, in display order.
    Q_PROPERTY(QVariantList frameRateOptions READ frameRateOptions CONSTANT)

  public:
    explicit GeneralPageModel(QObject* parent = nullptr);

    PanelModel* panel() const { return panel_; }
    void setPanel(PanelModel* panel);

    QString title() const;
    QString subtitle() const;
    QString performanceHint() const;
    double lightContrast() const;
    void setLightContrast(double contrast);
    int frameRate() const;
    void setFrameRate(int rate);
    QVariantList frameRateOptions() const;

  signals:
    void panelChanged();
    void valuesChanged();

  private:
    QPointer<PanelModel> panel_;
    QMetaObject::Connection storeConnection_;
};

}  // namespace plimsa
