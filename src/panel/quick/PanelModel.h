#pragma once

#include <QtQml/qqmlregistration.h>
#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <string>
#include <vector>

#include "panel/PanelPage.h"
#include "panel/Sidebar.h"
#include "panel/quick/PanelServices.h"
#include "platform/signal/Connection.h"

namespace plimsa {

/// The settings panel's root view-model, one per panel window: the current page, the library of character
/// names, the sidebar (rows, note, add buttons, footer) and the change notifications every page listens
/// to. Made in C++ by `PanelController` and handed to Main.qml as its `panel`. Page view-models reach the
/// services and the library through it. Main thread only.
class PanelModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by PanelController")
    Q_PROPERTY(QStringList library READ library NOTIFY libraryChanged)
    Q_PROPERTY(QString pageKind READ pageKind NOTIFY pageChanged)
    Q_PROPERTY(QString pageId READ pageId NOTIFY pageChanged)
    Q_PROPERTY(QVariantList swingRows READ swingRows NOTIFY sidebarChanged)
    Q_PROPERTY(QVariantList cornerRows READ cornerRows NOTIFY sidebarChanged)
    Q_PROPERTY(QString swingsNote READ swingsNote NOTIFY sidebarChanged)
    Q_PROPERTY(bool canAddSwing READ canAddSwing NOTIFY sidebarChanged)
    Q_PROPERTY(QString footerText READ footerText NOTIFY footerChanged)
    Q_PROPERTY(bool offersUpdate READ offersUpdate NOTIFY footerChanged)

  public:
    /// Reads the library and decides the initial page (consuming `OpenOnPacks::shared()`). `services`
    /// must outlive the model.
    PanelModel(PanelServices& services, QObject* parent = nullptr);
    ~PanelModel() override;

    PanelServices& services() { return services_; }
    const std::vector<std::string>& libraryNames() const { return library_; }
    PanelPage page() const { return page_; }
    /// Shows `page`; a swing or corner page whose record is gone is shown too (it reads defaults).
    void show(const PanelPage& page);

    QStringList library() const;
    QString pageKind() const;
    QString pageId() const;
    /// Each row: {kind, id, title, portraits (list of names), selected}.
    QVariantList swingRows() const;
    QVariantList cornerRows() const;
    /// "" while a swing exists.
    QString swingsNote() const;
    bool canAddSwing() const;
    QString footerText() const;
    bool offersUpdate() const;

    /// Re-reads the character library (after an import or a reload).
    Q_INVOKABLE void reloadLibrary();
    /// A text that is not a UUID is ignored.
    Q_INVOKABLE void showSwing(const QString& id);
    Q_INVOKABLE void showCorner(const QString& id);
    Q_INVOKABLE void showPacks();
    Q_INVOKABLE void showGeneral();
    /// "Add a swing" and "Add a corner sitter": add one (or, with an empty library, go to the packs page)
    /// and show where they lead.
    Q_INVOKABLE void addSwing();
    Q_INVOKABLE void addCorner();
    /// "See what's new": the available version's page; nothing when there is none.
    Q_INVOKABLE void openUpdate();
    /// The value printed beside a slider: "32°" with a unit, "0.62" without.
    Q_INVOKABLE QString valueText(double value, const QString& unit) const;
    /// Escape and Ctrl+W: asks the window's owner to close the panel.
    Q_INVOKABLE void close() { emit closeRequested(); }

  signals:
    void libraryChanged();
    void pageChanged();
    void sidebarChanged();
    void footerChanged();
    /// After every change of the settings store, of the swing size limits and of the pack catalogue.
    void storeChanged();
    /// A character's thumbnail changed.
    void previewsChanged(const QString& name);
    /// A character's import report changed (loaded, or forgotten after a re-import).
    void reportChanged(const QString& name);
    void closeRequested();

  private:
    /// What the sidebar shows, kept so that it is redrawn only when it changes.
    struct SidebarState {
        std::vector<Sidebar::Row> swingRows;
        std::vector<Sidebar::Row> cornerRows;
        std::string swingsNote;
        bool canAddSwing = false;

        bool operator==(const SidebarState&) const = default;
    };
    SidebarState readSidebar() const;
    void refreshSidebar();
    /// SwingInfo and Packs announce before they change: the pages hear of it on the next turn, once.
    void storeChangeComing();

    PanelServices& services_;
    std::vector<std::string> library_;
    PanelPage page_;
    SidebarState sidebar_;
    bool storeChangeQueued_ = false;
    Connection settingsChanged_;
    Connection swingInfoChanging_;
    Connection packsChanging_;
    Connection previewsChanged_;
    Connection reportChanged_;
    Connection updateChanged_;
};

}  // namespace plimsa
