#pragma once

#include <QtQml/qqmlregistration.h>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "library/Packs.h"
#include "panel/quick/PanelModel.h"

namespace plimsa {

class PackImport;

/// The packs page's view-model over the `PacksPage` rules: hints, the bundle card, one card per catalogue
/// pack, the earn card, and the footer's import, edit, reload and folder actions. Created in QML inside its
/// page; re-reads the catalogue and the library on every change of them. Imports and installs run through
/// the panel's `PackImport`, so `busy` and `notice` survive the page. Without a panel it shows nothing and
/// every action does nothing. Main thread only.
class PacksPageModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(PanelModel* panel READ panel WRITE setPanel NOTIFY panelChanged)
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QString subtitle READ subtitle CONSTANT)
    Q_PROPERTY(QString missingLinkHint READ missingLinkHint CONSTANT)
    /// {text, tone ("gold" for the catalogue's load error, else "dim")} in display order.
    Q_PROPERTY(QVariantList hints READ hints NOTIFY valuesChanged)
    /// {name, price, discount, codeLine, code, hasLink}; empty when the catalogue has no bundle. `discount`
    /// and `codeLine` are "" without a discount code.
    Q_PROPERTY(QVariantMap bundle READ bundle NOTIFY valuesChanged)
    /// Per pack: {name, characters (names), displayNames, action ("putOnSwing", "install" or "buy"),
    /// buyLabel, hasLink, missingLink}.
    Q_PROPERTY(QVariantList packs READ packs NOTIFY valuesChanged)
    /// Whether the earn card shows: only with an earn page that is a web link.
    Q_PROPERTY(bool showsEarnCard READ showsEarnCard NOTIFY panelChanged)
    Q_PROPERTY(bool busy READ busy NOTIFY importChanged)
    /// The refusals of the last import or install, one line each, or a footer action's failure; "" else.
    Q_PROPERTY(QString notice READ notice NOTIFY importChanged)
    /// The characters the last import or install added, for their portraits and import reports.
    Q_PROPERTY(QStringList imported READ imported NOTIFY importChanged)

  public:
    /// The files to import, chosen by the user; none when they cancel.
    using FilePicker = std::function<std::vector<std::filesystem::path>()>;

    explicit PacksPageModel(QObject* parent = nullptr);

    PanelModel* panel() const { return panel_; }
    void setPanel(PanelModel* panel);
    /// Replaces the file dialog (tests).
    void setFilePicker(FilePicker picker) { pickFiles_ = std::move(picker); }

    QString title() const;
    QString subtitle() const;
    QString missingLinkHint() const;
    QVariantList hints() const;
    QVariantMap bundle() const;
    QVariantList packs() const;
    bool showsEarnCard() const;
    bool busy() const;
    QString notice() const;
    QStringList imported() const;

    /// "Copy code": the bundle's discount code onto the clipboard.
    Q_INVOKABLE void copyCode();
    /// "Get all packs": the bundle's link.
    Q_INVOKABLE void getAllPacks();
    /// A pack card's buy button: the pack's link.
    Q_INVOKABLE void buy(const QString& pack);
    /// "Put on a swing", then shows that swing's page.
    Q_INVOKABLE void putOnSwing(const QString& pack);
    /// Installs a pack that ships with the program, in the background.
    Q_INVOKABLE void install(const QString& pack);
    /// "See how easy it is".
    Q_INVOKABLE void openEarnPage();
    /// "Add a pack you downloaded…": asks for files, then imports them in the background.
    Q_INVOKABLE void addDownloaded();
    /// "Edit packs…": the user's copy of the catalogue, made first when there is none, in its editor.
    Q_INVOKABLE void editPacks();
    /// "Reload": the catalogue and the library read again.
    Q_INVOKABLE void reload();
    /// "Show folder": the character folder in the file manager.
    Q_INVOKABLE void showFolder();

  signals:
    void panelChanged();
    void valuesChanged();
    void importChanged();

  private:
    std::optional<Pack> packNamed(const QString& name) const;
    void open(const std::optional<std::string>& url);
    PackImport* import() const;

    QPointer<PanelModel> panel_;
    FilePicker pickFiles_;
    std::vector<QMetaObject::Connection> connections_;
};

/// The file URL of a local path ("file:///home/a%20b/x"). Any thread.
std::string fileUrl(const std::filesystem::path& path);

}  // namespace plimsa
