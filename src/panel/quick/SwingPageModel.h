#pragma once

#include <QtQml/qqmlregistration.h>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <optional>

#include "panel/SwingPage.h"
#include "panel/quick/PanelModel.h"

namespace plimsa {

/// The swing page's view-model over the `SwingPage` rules for the swing `recordId`. Created in QML inside
/// its page; re-reads the store on every change of it and rebuilds its rules when the library changes.
/// Hands, ways of hanging, styles, head modes and skins cross into QML as their stored names ("chain",
/// "window"); sliders are named after `SwingSlider` and `FitSlider` ("ropeLength", "seatHeight").
/// Without a panel, or while `recordId` is not a UUID or names no swing, it reads a default record and
/// writes nothing. Main thread only.
class SwingPageModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(PanelModel* panel READ panel WRITE setPanel NOTIFY panelChanged)
    Q_PROPERTY(QString recordId READ recordId WRITE setRecordId NOTIFY recordIdChanged)
    Q_PROPERTY(bool exists READ exists NOTIFY valuesChanged)
    Q_PROPERTY(QString title READ title NOTIFY valuesChanged)
    Q_PROPERTY(int seatCount READ seatCount WRITE setSeatCount NOTIFY valuesChanged)
    /// Per seat: {seat, caption, character, placeholder ("Empty seat" or "")}.
    Q_PROPERTY(QVariantList seatCells READ seatCells NOTIFY valuesChanged)
    Q_PROPERTY(bool showsInnerHand READ showsInnerHand NOTIFY valuesChanged)
    Q_PROPERTY(bool showsOuterHands READ showsOuterHands NOTIFY valuesChanged)
    Q_PROPERTY(QString innerHand READ innerHand WRITE setInnerHand NOTIFY valuesChanged)
    Q_PROPERTY(QString leftHand READ leftHand WRITE setLeftHand NOTIFY valuesChanged)
    Q_PROPERTY(QString rightHand READ rightHand WRITE setRightHand NOTIFY valuesChanged)
    Q_PROPERTY(QString attach READ attach WRITE setAttach NOTIFY valuesChanged)
    Q_PROPERTY(QString attachHint READ attachHint NOTIFY valuesChanged)
    Q_PROPERTY(QString style READ style WRITE setStyle NOTIFY valuesChanged)
    Q_PROPERTY(QString headMode READ headMode WRITE setHeadMode NOTIFY valuesChanged)
    Q_PROPERTY(QString skin READ skin WRITE setSkin NOTIFY valuesChanged)
    Q_PROPERTY(bool pumping READ pumping WRITE setPumping NOTIFY valuesChanged)
    /// Slider name -> {title, from, to, unit, value, text}.
    Q_PROPERTY(QVariantMap sliders READ sliders NOTIFY valuesChanged)
    /// Per seat: {seat, caption, sliders (fit slider name -> row as above), hint {text, tone ("dim",
    /// "gold")}, with text "" when there is none}.
    Q_PROPERTY(QVariantList fits READ fits NOTIFY valuesChanged)
    /// {value, label} per choice, in display order (seat counts as ints, the rest as stored names).
    Q_PROPERTY(QVariantList seatCountOptions READ seatCountOptions CONSTANT)
    Q_PROPERTY(QVariantList handOptions READ handOptions CONSTANT)
    Q_PROPERTY(QVariantList attachOptions READ attachOptions CONSTANT)
    Q_PROPERTY(QVariantList styleOptions READ styleOptions CONSTANT)
    Q_PROPERTY(QVariantList headOptions READ headOptions CONSTANT)
    Q_PROPERTY(QVariantList skinOptions READ skinOptions CONSTANT)
    Q_PROPERTY(QString overallSizeHint READ overallSizeHint CONSTANT)
    Q_PROPERTY(QString motionHint READ motionHint CONSTANT)

  public:
    explicit SwingPageModel(QObject* parent = nullptr);

    PanelModel* panel() const { return panel_; }
    void setPanel(PanelModel* panel);
    QString recordId() const { return recordId_; }
    void setRecordId(const QString& id);

    bool exists() const;
    QString title() const;
    int seatCount() const;
    void setSeatCount(int count);
    QVariantList seatCells() const;
    bool showsInnerHand() const;
    bool showsOuterHands() const;
    QString innerHand() const;
    QString leftHand() const;
    QString rightHand() const;
    /// Names that are not a case of their kind are ignored by every setter below.
    void setInnerHand(const QString& mode);
    void setLeftHand(const QString& mode);
    void setRightHand(const QString& mode);
    QString attach() const;
    void setAttach(const QString& attach);
    QString attachHint() const;
    QString style() const;
    void setStyle(const QString& style);
    QString headMode() const;
    void setHeadMode(const QString& mode);
    QString skin() const;
    void setSkin(const QString& skin);
    bool pumping() const;
    void setPumping(bool pumping);
    QVariantMap sliders() const;
    QVariantList fits() const;

    QVariantList seatCountOptions() const;
    QVariantList handOptions() const;
    QVariantList attachOptions() const;
    QVariantList styleOptions() const;
    QVariantList headOptions() const;
    QVariantList skinOptions() const;
    QString overallSizeHint() const;
    QString motionHint() const;

    /// Puts `name` on `seat`.
    Q_INVOKABLE void setCharacter(int seat, const QString& name);
    /// Writes the slider `name` (unknown names are ignored), held to its range.
    Q_INVOKABLE void setSlider(const QString& name, double value);
    Q_INVOKABLE void setFitSlider(int seat, const QString& name, double value);
    /// "Reset settings".
    Q_INVOKABLE void resetSettings();
    /// "Remove": drops the swing and shows the page the rules choose next. Nothing without a swing.
    Q_INVOKABLE void remove();
    /// "Get characters": the packs page.
    Q_INVOKABLE void getCharacters();

  signals:
    void panelChanged();
    void recordIdChanged();
    void valuesChanged();

  private:
    void rebuild();
    SwingConfig config() const;
    void setHand(HandSlot slot, const QString& mode);

    QPointer<PanelModel> panel_;
    QString recordId_;
    std::optional<SwingPage> page_;
    QMetaObject::Connection storeConnection_;
    QMetaObject::Connection libraryConnection_;
};

}  // namespace plimsa
