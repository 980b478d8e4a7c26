#pragma once

#include <QtQml/qqmlregistration.h>
#include <QObject>
#include <QPointer>
#include <QString>

#include "panel/quick/PanelModel.h"

namespace plimsa {

/// The import report of one character for the line under its portrait: a short `summary`, the whole
/// report as `details` for the "Details" popup, and whether it `needsAttention` (refused, something fell
/// back, a texture missing: the line is drawn in gold). The report comes from the panel's
/// `CharacterPreviews`, which loads the model on its own queue; until it arrives `known` is false and the
/// texts are "". An empty name (an empty seat) has no report. Main thread only.
class CharacterReportModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(PanelModel* panel READ panel WRITE setPanel NOTIFY panelChanged)
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(bool known READ known NOTIFY reportChanged)
    Q_PROPERTY(QString summary READ summary NOTIFY reportChanged)
    Q_PROPERTY(QString details READ details NOTIFY reportChanged)
    Q_PROPERTY(bool needsAttention READ needsAttention NOTIFY reportChanged)

  public:
    explicit CharacterReportModel(QObject* parent = nullptr);

    PanelModel* panel() const { return panel_; }
    void setPanel(PanelModel* panel);
    QString name() const { return name_; }
    void setName(const QString& name);
    bool known() const { return known_; }
    QString summary() const { return summary_; }
    QString details() const { return details_; }
    bool needsAttention() const { return needsAttention_; }

  signals:
    void panelChanged();
    void nameChanged();
    void reportChanged();

  private:
    void reload();

    QPointer<PanelModel> panel_;
    QMetaObject::Connection connection_;
    QString name_;
    bool known_ = false;
    QString summary_;
    QString details_;
    bool needsAttention_ = false;
};

}  // namespace plimsa
