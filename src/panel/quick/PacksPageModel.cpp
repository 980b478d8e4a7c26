#include "panel/quick/PacksPageModel.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QUrl>

#include "config/Settings.h"
#include "library/CharacterLibrary.h"
#include "panel/PacksPage.h"
#include "panel/quick/PackImport.h"

namespace plimsa {

namespace {

QString text(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

QStringList texts(const std::vector<std::string>& values) {
    QStringList list;
    for (const auto& value : values) list.append(QString::fromStdString(value));
    return list;
}

const char* actionName(PacksPage::PackCard::Action action) {
    switch (action) {
        case PacksPage::PackCard::Action::putOnSwing:
            return "putOnSwing";
        case PacksPage::PackCard::Action::install:
            return "install";
        case PacksPage::PackCard::Action::buy:
            break;
    }
    return "buy";
}

// The file dialog needs widgets: without a QApplication (a Qt Quick-only host) nothing is picked.
std::vector<std::filesystem::path> pickWithDialog() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return {};
    const QStringList chosen = QFileDialog::getOpenFileNames(
        nullptr, QStringLiteral("Add a pack you downloaded"), QString(),
        QStringLiteral("Characters and packs (*.zip *.plimsapack *.glb *.gltf *.vrm *.ZIP *.PLIMSAPACK *.GLB "
                       "*.GLTF *.VRM);;All files (*)"));
    std::vector<std::filesystem::path> files;
    for (const QString& file : chosen) files.emplace_back(QFile::encodeName(file).toStdString());
    return files;
}

}  // namespace

std::string fileUrl(const std::filesystem::path& path) {
    return QUrl::fromLocalFile(QFile::decodeName(path.c_str())).toString(QUrl::FullyEncoded).toStdString();
}

PacksPageModel::PacksPageModel(QObject* parent) : QObject(parent), pickFiles_(pickWithDialog) {}

void PacksPageModel::setPanel(PanelModel* panel) {
    if (panel == panel_) return;
    for (const auto& connection : connections_) disconnect(connection);
    connections_.clear();
    panel_ = panel;
    if (panel_ != nullptr) {
        connections_.push_back(
            connect(panel_, &PanelModel::storeChanged, this, &PacksPageModel::valuesChanged));
        connections_.push_back(
            connect(panel_, &PanelModel::libraryChanged, this, &PacksPageModel::valuesChanged));
        connections_.push_back(connect(import(), &PackImport::changed, this, &PacksPageModel::importChanged));
    }
    emit panelChanged();
    emit valuesChanged();
    emit importChanged();
}

PackImport* PacksPageModel::import() const {
    return panel_ != nullptr ? &PackImport::of(*panel_) : nullptr;
}

QString PacksPageModel::title() const {
    return text(PacksPage::kTitle);
}

QString PacksPageModel::subtitle() const {
    return text(PacksPage::kSubtitle);
}

QString PacksPageModel::missingLinkHint() const {
    return text(PacksPage::kMissingLinkHint);
}

QVariantList PacksPageModel::hints() const {
    if (panel_ == nullptr) return {};
    const Packs& packs = panel_->services().packs;
    QVariantList list;
    for (const auto& hint : PacksPage::hints(packs)) {
        const bool isError = list.isEmpty() && packs.loadError().has_value();
        list.append(
            QVariantMap{{QStringLiteral("text"), QString::fromStdString(hint)},
                        {QStringLiteral("tone"), isError ? QStringLiteral("gold") : QStringLiteral("dim")}});
    }
    return list;
}

QVariantMap PacksPageModel::bundle() const {
    if (panel_ == nullptr) return {};
    const auto card = PacksPage::bundleCard(panel_->services().packs);
    if (!card) return {};
    return {{QStringLiteral("name"), QString::fromStdString(card->name)},
            {QStringLiteral("price"), QString::fromStdString(card->price)},
            {QStringLiteral("discount"), QString::fromStdString(card->discount.value_or(""))},
            {QStringLiteral("codeLine"), QString::fromStdString(card->codeLine.value_or(""))},
            {QStringLiteral("code"), QString::fromStdString(card->code)},
            {QStringLiteral("hasLink"), card->link.has_value()}};
}

QVariantList PacksPageModel::packs() const {
    if (panel_ == nullptr) return {};
    const Packs& catalogue = panel_->services().packs;
    QVariantList list;
    for (const auto& card : PacksPage::cards(catalogue, panel_->libraryNames())) {
        QStringList displayNames;
        for (const auto& name : card.pack.characters)
            displayNames.append(QString::fromStdString(catalogue.displayName(name)));
        list.append(QVariantMap{{QStringLiteral("name"), QString::fromStdString(card.pack.name)},
                                {QStringLiteral("characters"), texts(card.pack.characters)},
                                {QStringLiteral("displayNames"), displayNames},
                                {QStringLiteral("action"), QString::fromLatin1(actionName(card.action))},
                                {QStringLiteral("buyLabel"), QString::fromStdString(card.buyLabel)},
                                {QStringLiteral("hasLink"), card.link.has_value()},
                                {QStringLiteral("missingLink"), card.missingLink}});
    }
    return list;
}

bool PacksPageModel::showsEarnCard() const {
    return panel_ != nullptr && webLink(panel_->services().earnUrl).has_value();
}

bool PacksPageModel::busy() const {
    return panel_ != nullptr && import()->busy();
}

QString PacksPageModel::notice() const {
    return panel_ != nullptr ? import()->notice() : QString();
}

std::optional<Pack> PacksPageModel::packNamed(const QString& name) const {
    if (panel_ == nullptr) return std::nullopt;
    const std::string wanted = name.toStdString();
    for (const Pack& pack : panel_->services().packs.file().packs)
        if (pack.name == wanted) return pack;
    return std::nullopt;
}

void PacksPageModel::open(const std::optional<std::string>& url) {
    if (panel_ != nullptr && url && panel_->services().openUrl) panel_->services().openUrl(*url);
}

QStringList PacksPageModel::imported() const {
    return panel_ != nullptr ? import()->installed() : QStringList();
}

void PacksPageModel::copyCode() {
    if (panel_ == nullptr) return;
    const auto card = PacksPage::bundleCard(panel_->services().packs);
    if (card && !card->code.empty())
        QGuiApplication::clipboard()->setText(QString::fromStdString(card->code));
}

void PacksPageModel::getAllPacks() {
    if (panel_ != nullptr) open(panel_->services().packs.bundleURL());
}

void PacksPageModel::buy(const QString& pack) {
    if (const auto found = packNamed(pack)) open(panel_->services().packs.link(*found));
}

void PacksPageModel::putOnSwing(const QString& pack) {
    const auto found = packNamed(pack);
    if (!found || !PacksPage::isOwned(*found, panel_->libraryNames())) return;
    panel_->show(PacksPage::putOnSwing(panel_->services().settings, *found));
}

void PacksPageModel::install(const QString& pack) {
    const auto found = packNamed(pack);
    if (found && found->shipsWithProgram) import()->installShipped(*found);
}

void PacksPageModel::openEarnPage() {
    if (panel_ != nullptr) open(webLink(panel_->services().earnUrl));
}

void PacksPageModel::addDownloaded() {
    if (panel_ == nullptr || !pickFiles_) return;
    // The picker may run a nested event loop in which the page goes away.
    QPointer<PacksPageModel> self(this);
    auto files = pickFiles_();
    if (self.isNull() || panel_ == nullptr) return;
    import()->importFiles(std::move(files));
}

void PacksPageModel::editPacks() {
    if (panel_ == nullptr) return;
    const auto copy = panel_->services().packs.userCopy();
    std::error_code error;
    if (!copy || !std::filesystem::is_regular_file(*copy, error)) {
        import()->setNotice(QStringLiteral("packs.json could not be made in the Plimsa data folder."));
        return;
    }
    open(fileUrl(*copy));
}

void PacksPageModel::reload() {
    if (panel_ == nullptr) return;
    panel_->services().packs.reload();
    panel_->reloadLibrary();
    // The panel passes catalogue changes on a turn later; this page shows its own reload at once.
    emit valuesChanged();
}

void PacksPageModel::showFolder() {
    if (panel_ != nullptr) open(fileUrl(CharacterLibrary::directory()));
}

}  // namespace plimsa
