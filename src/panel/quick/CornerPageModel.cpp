#include "panel/quick/CornerPageModel.h"

#include "config/CaseNames.h"
#include "config/Uuid.h"
#include "library/Packs.h"

namespace plimsa {

namespace {

template <typename Enum>
QString nameOf(Enum value) {
    const std::string_view name = caseName(value);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

template <typename Enum>
QVariantList caseOptions(const std::vector<std::pair<Enum, std::string>>& options) {
    QVariantList list;
    for (const auto& [value, label] : options)
        list.append(QVariantMap{{QStringLiteral("value"), nameOf(value)},
                                {QStringLiteral("label"), QString::fromStdString(label)}});
    return list;
}

}  // namespace

CornerPageModel::CornerPageModel(QObject* parent) : QObject(parent) {}

void CornerPageModel::setPanel(PanelModel* panel) {
    if (panel == panel_) return;
    disconnect(storeConnection_);
    panel_ = panel;
    if (panel_ != nullptr)
        storeConnection_ = connect(panel_, &PanelModel::storeChanged, this, &CornerPageModel::valuesChanged);
    rebuild();
    emit panelChanged();
}

void CornerPageModel::setRecordId(const QString& id) {
    if (id == recordId_) return;
    recordId_ = id;
    rebuild();
    emit recordIdChanged();
}

void CornerPageModel::rebuild() {
    page_.reset();
    const auto id = Uuid::parse(recordId_.toStdString());
    if (panel_ != nullptr && id) page_.emplace(panel_->services().settings, *id);
    emit valuesChanged();
}

CornerConfig CornerPageModel::config() const {
    if (page_) return page_->config();
    static const CornerConfig fallback;  // one id, so that repeated reads agree
    return fallback;
}

bool CornerPageModel::exists() const {
    return page_ && page_->exists();
}

QString CornerPageModel::title() const {
    const std::string character = config().character;
    if (character.empty() || panel_ == nullptr) return QStringLiteral("Corner sitter");
    return QString::fromStdString(panel_->services().packs.displayName(character));
}

QString CornerPageModel::subtitle() const {
    if (page_) return QString::fromStdString(page_->subtitle());
    return {};
}

QString CornerPageModel::character() const {
    return QString::fromStdString(config().character);
}

void CornerPageModel::setCharacter(const QString& character) {
    if (page_) page_->setCharacter(character.toStdString());
}

QString CornerPageModel::side() const {
    return nameOf(config().side);
}

void CornerPageModel::setSide(const QString& side) {
    const auto value = caseNamed<CornerSide>(side.toStdString());
    if (page_ && value) page_->setSide(*value);
}

double CornerPageModel::size() const {
    return config().size;
}

void CornerPageModel::setSize(double size) {
    if (page_) page_->setSize(size);
}

double CornerPageModel::opacity() const {
    return config().opacity;
}

void CornerPageModel::setOpacity(double opacity) {
    if (page_) page_->setOpacity(opacity);
}

QString CornerPageModel::headMode() const {
    return nameOf(config().headMode);
}

void CornerPageModel::setHeadMode(const QString& mode) {
    const auto value = caseNamed<HeadMode>(mode.toStdString());
    if (page_ && value) page_->setHeadMode(*value);
}

QVariantList CornerPageModel::sideOptions() const {
    return caseOptions(CornerPage::sideOptions());
}

QVariantList CornerPageModel::headOptions() const {
    return caseOptions(CornerPage::headOptions());
}

QString CornerPageModel::placementHint() const {
    return QString::fromUtf8(CornerPage::kPlacementHint);
}

void CornerPageModel::remove() {
    if (!page_ || !page_->exists() || panel_ == nullptr) return;
    panel_->show(page_->remove());
}

}  // namespace plimsa
