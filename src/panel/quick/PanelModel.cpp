#include "panel/quick/PanelModel.h"

#include <QMetaObject>

#include "config/Settings.h"
#include "library/CharacterLibrary.h"
#include "library/CharacterPreviews.h"
#include "library/Packs.h"
#include "panel/Sidebar.h"
#include "panel/ValueText.h"
#include "swing/SwingInfo.h"
#include "update/UpdateChecker.h"

namespace plimsa {
namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

QString kindName(PanelPage::Kind kind) {
    switch (kind) {
        case PanelPage::Kind::swing:
            return QStringLiteral("swing");
        case PanelPage::Kind::corner:
            return QStringLiteral("corner");
        case PanelPage::Kind::packs:
            return QStringLiteral("packs");
        case PanelPage::Kind::general:
            return QStringLiteral("general");
    }
    return {};
}

QVariantList rowList(const std::vector<Sidebar::Row>& rows) {
    QVariantList list;
    for (const Sidebar::Row& row : rows) {
        QStringList portraits;
        for (const std::string& name : row.portraits) portraits.append(text(name));
        list.append(QVariantMap{{QStringLiteral("kind"), kindName(row.page.kind)},
                                {QStringLiteral("id"), text(row.page.id.string())},
                                {QStringLiteral("title"), text(row.title)},
                                {QStringLiteral("portraits"), portraits},
                                {QStringLiteral("selected"), row.selected}});
    }
    return list;
}

}  // namespace

PanelModel::PanelModel(PanelServices& services, QObject* parent)
    : QObject(parent), services_(services), library_(CharacterLibrary::names()) {
    const bool onPacks = OpenOnPacks::shared().consume() || asksForPacksPage(services_.arguments);
    page_ = initialPage(services_.settings.v(), onPacks);

    sidebar_ = readSidebar();
    connect(this, &PanelModel::storeChanged, this, &PanelModel::refreshSidebar);
    connect(this, &PanelModel::pageChanged, this, &PanelModel::refreshSidebar);
    connect(this, &PanelModel::libraryChanged, this, &PanelModel::refreshSidebar);
    settingsChanged_ = services_.settings.onChanged([this](const SettingsValues&) { emit storeChanged(); });
    swingInfoChanging_ = services_.swingInfo.willChange.connect([this] { storeChangeComing(); });
    packsChanging_ = services_.packs.willChange.connect([this] { storeChangeComing(); });
    previewsChanged_ = services_.previews.changed.connect(
        [this](const std::string& name) { emit previewsChanged(text(name)); });
    reportChanged_ = services_.previews.reportChanged.connect(
        [this](const std::string& name) { emit reportChanged(text(name)); });
    if (services_.updates != nullptr)
        updateChanged_ = services_.updates->onAvailableChange(
            [this](const std::optional<UpdateChecker::Info>&) { emit footerChanged(); });
}

PanelModel::~PanelModel() = default;

PanelModel::SidebarState PanelModel::readSidebar() const {
    const SettingsValues& values = services_.settings.v();
    return {Sidebar::swingRows(values, services_.packs.file(), page_), Sidebar::cornerRows(values, page_),
            Sidebar::swingsNote(values, library_).value_or(std::string()), Sidebar::canAddSwing(values)};
}

void PanelModel::refreshSidebar() {
    // Most store changes (a slider's every step) leave the sidebar as it was: its rows, and the portraits
    // in them, are rebuilt only when something in it changed.
    SidebarState next = readSidebar();
    if (next == sidebar_) return;
    sidebar_ = std::move(next);
    emit sidebarChanged();
}

void PanelModel::storeChangeComing() {
    if (storeChangeQueued_) return;
    storeChangeQueued_ = true;
    // Queued on this object, so it is dropped with it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            storeChangeQueued_ = false;
            emit storeChanged();
        },
        Qt::QueuedConnection);
}

void PanelModel::show(const PanelPage& page) {
    if (page == page_) return;
    page_ = page;
    emit pageChanged();
}

QStringList PanelModel::library() const {
    QStringList names;
    for (const std::string& name : library_) names.append(text(name));
    return names;
}

QString PanelModel::pageKind() const {
    return kindName(page_.kind);
}

QString PanelModel::pageId() const {
    return page_.id.isNil() ? QString() : text(page_.id.string());
}

QVariantList PanelModel::swingRows() const {
    return rowList(Sidebar::swingRows(services_.settings.v(), services_.packs.file(), page_));
}

QVariantList PanelModel::cornerRows() const {
    return rowList(Sidebar::cornerRows(services_.settings.v(), page_));
}

QString PanelModel::swingsNote() const {
    return text(Sidebar::swingsNote(services_.settings.v(), library_).value_or(std::string()));
}

bool PanelModel::canAddSwing() const {
    return Sidebar::canAddSwing(services_.settings.v());
}

QString PanelModel::footerText() const {
    std::optional<std::string> newer;
    if (services_.updates != nullptr && services_.updates->available())
        newer = services_.updates->available()->version;
    return text(Sidebar::footer(services_.currentVersion, newer).text);
}

bool PanelModel::offersUpdate() const {
    return services_.updates != nullptr && services_.updates->available().has_value();
}

void PanelModel::reloadLibrary() {
    std::vector<std::string> names = CharacterLibrary::names();
    if (names == library_) return;
    library_ = std::move(names);
    emit libraryChanged();
}

void PanelModel::showSwing(const QString& id) {
    if (const std::optional<Uuid> uuid = Uuid::parse(id.toStdString())) show(PanelPage::swing(*uuid));
}

void PanelModel::showCorner(const QString& id) {
    if (const std::optional<Uuid> uuid = Uuid::parse(id.toStdString())) show(PanelPage::corner(*uuid));
}

void PanelModel::showPacks() {
    show(PanelPage::packs());
}

void PanelModel::showGeneral() {
    show(PanelPage::general());
}

void PanelModel::addSwing() {
    show(Sidebar::addSwing(services_.settings, library_, page_));
}

void PanelModel::addCorner() {
    show(Sidebar::addCorner(services_.settings, library_));
}

void PanelModel::openUpdate() {
    if (services_.updates != nullptr) services_.updates->open();
}

QString PanelModel::valueText(double value, const QString& unit) const {
    return text(plimsa::valueText(value, unit.toStdString()));
}

}  // namespace plimsa
