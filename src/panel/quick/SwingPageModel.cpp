#include "panel/quick/SwingPageModel.h"

#include <array>
#include <string_view>
#include <utility>

#include "config/CaseNames.h"
#include "config/Uuid.h"
#include "library/Packs.h"
#include "panel/Sidebar.h"
#include "platform/desktop/MemoryDefaults.h"
#include "swing/SwingInfo.h"

namespace plimsa {
namespace {

constexpr std::array<std::pair<SwingSlider, std::string_view>, 10> kSliderNames{{
    {SwingSlider::position, "position"},
    {SwingSlider::overallSize, "overallSize"},
    {SwingSlider::ropeLength, "ropeLength"},
    {SwingSlider::tilt, "tilt"},
    {SwingSlider::amplitude, "amplitude"},
    {SwingSlider::kick, "kick"},
    {SwingSlider::lean, "lean"},
    {SwingSlider::legs, "legs"},
    {SwingSlider::gripHeight, "gripHeight"},
    {SwingSlider::shine, "shine"},
}};

constexpr std::array<std::pair<FitSlider, std::string_view>, 3> kFitSliderNames{{
    {FitSlider::size, "size"},
    {FitSlider::seatHeight, "seatHeight"},
    {FitSlider::forward, "forward"},
}};

QString text(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

template <typename Value, std::size_t count>
std::optional<Value> named(const std::array<std::pair<Value, std::string_view>, count>& names,
                           const QString& name) {
    const std::string wanted = name.toStdString();
    for (const auto& [value, candidate] : names)
        if (candidate == wanted) return value;
    return std::nullopt;
}

QVariantMap rowMap(const SliderRow& row) {
    return {{QStringLiteral("title"), text(row.title)}, {QStringLiteral("from"), row.minimum},
            {QStringLiteral("to"), row.maximum},        {QStringLiteral("unit"), text(row.unit)},
            {QStringLiteral("value"), row.value},       {QStringLiteral("text"), text(row.text)}};
}

QVariantMap option(const QVariant& value, std::string_view label) {
    return {{QStringLiteral("value"), value}, {QStringLiteral("label"), text(label)}};
}

template <typename Enum, std::size_t count>
QVariantList caseOptions(const std::array<PillOption<Enum>, count>& options) {
    QVariantList list;
    for (const auto& [value, label] : options) list.append(option(text(caseName(value)), label));
    return list;
}

// What a page reads without a panel or a valid id: a store that holds no swing, so the rules read a default
// record and write nothing.
struct NoSwings {
    MemoryDefaults defaults;
    Settings settings{defaults};
    SwingInfo info;
};

NoSwings& noSwings() {
    static NoSwings world;
    return world;
}

}  // namespace

SwingPageModel::SwingPageModel(QObject* parent) : QObject(parent) {
    rebuild();
}

void SwingPageModel::setPanel(PanelModel* panel) {
    if (panel == panel_) return;
    disconnect(storeConnection_);
    disconnect(libraryConnection_);
    panel_ = panel;
    if (panel_ != nullptr) {
        storeConnection_ = connect(panel_, &PanelModel::storeChanged, this, &SwingPageModel::valuesChanged);
        // The rules hold the library they fill a new seat from.
        libraryConnection_ = connect(panel_, &PanelModel::libraryChanged, this, &SwingPageModel::rebuild);
    }
    rebuild();
    emit panelChanged();
}

void SwingPageModel::setRecordId(const QString& id) {
    if (id == recordId_) return;
    recordId_ = id;
    rebuild();
    emit recordIdChanged();
}

void SwingPageModel::rebuild() {
    page_.reset();
    const auto id = Uuid::parse(recordId_.toStdString());
    if (panel_ != nullptr && id) {
        auto& services = panel_->services();
        page_.emplace(services.settings, services.swingInfo, *id, panel_->libraryNames());
    } else {
        page_.emplace(noSwings().settings, noSwings().info, Uuid(), std::vector<std::string>{});
    }
    emit valuesChanged();
}

SwingConfig SwingPageModel::config() const {
    return page_->config();
}

bool SwingPageModel::exists() const {
    return page_->exists();
}

QString SwingPageModel::title() const {
    static const Packs::File noCatalogue;
    const auto& catalogue = panel_ != nullptr ? panel_->services().packs.file() : noCatalogue;
    return QString::fromStdString(Sidebar::swingTitle(config(), catalogue));
}

int SwingPageModel::seatCount() const {
    return static_cast<int>(config().characters.size());
}

void SwingPageModel::setSeatCount(int count) {
    page_->setSeatCount(count);
}

QVariantList SwingPageModel::seatCells() const {
    QVariantList cells;
    for (const SeatCell& cell : page_->seatCells())
        cells.append(QVariantMap{{QStringLiteral("seat"), cell.seat},
                                 {QStringLiteral("caption"), text(cell.caption)},
                                 {QStringLiteral("character"), QString::fromStdString(cell.character)},
                                 {QStringLiteral("placeholder"), text(cell.placeholder)}});
    return cells;
}

bool SwingPageModel::showsInnerHand() const {
    return seatCount() == 2;
}

bool SwingPageModel::showsOuterHands() const {
    return seatCount() == 1;
}

QString SwingPageModel::innerHand() const {
    return text(caseName(config().innerHand));
}

QString SwingPageModel::leftHand() const {
    return text(caseName(config().handLeft));
}

QString SwingPageModel::rightHand() const {
    return text(caseName(config().handRight));
}

void SwingPageModel::setHand(HandSlot slot, const QString& mode) {
    const auto value = caseNamed<HandMode>(mode.toStdString());
    if (value) page_->setHand(slot, *value);
}

void SwingPageModel::setInnerHand(const QString& mode) {
    setHand(HandSlot::inner, mode);
}

void SwingPageModel::setLeftHand(const QString& mode) {
    setHand(HandSlot::left, mode);
}

void SwingPageModel::setRightHand(const QString& mode) {
    setHand(HandSlot::right, mode);
}

QString SwingPageModel::attach() const {
    return text(caseName(config().attach));
}

void SwingPageModel::setAttach(const QString& attach) {
    const auto value = caseNamed<SwingAttach>(attach.toStdString());
    if (value) page_->setAttach(*value);
}

QString SwingPageModel::attachHint() const {
    return text(swing_page::attachHint(config().attach));
}

QString SwingPageModel::style() const {
    return text(caseName(config().style));
}

void SwingPageModel::setStyle(const QString& style) {
    const auto value = caseNamed<SwingStyle>(style.toStdString());
    if (value) page_->setStyle(*value);
}

QString SwingPageModel::headMode() const {
    return text(caseName(config().headMode));
}

void SwingPageModel::setHeadMode(const QString& mode) {
    const auto value = caseNamed<HeadMode>(mode.toStdString());
    if (value) page_->setHeadMode(*value);
}

QString SwingPageModel::skin() const {
    return text(caseName(config().skin));
}

void SwingPageModel::setSkin(const QString& skin) {
    const auto value = caseNamed<SwingSkin>(skin.toStdString());
    if (value) page_->setSkin(*value);
}

bool SwingPageModel::pumping() const {
    return config().pumping;
}

void SwingPageModel::setPumping(bool pumping) {
    page_->setPumping(pumping);
}

QVariantMap SwingPageModel::sliders() const {
    QVariantMap map;
    for (const auto& [which, name] : kSliderNames) map.insert(text(name), rowMap(page_->slider(which)));
    return map;
}

QVariantList SwingPageModel::fits() const {
    QVariantList blocks;
    for (const SeatCell& cell : page_->seatCells()) {
        QVariantMap rows;
        for (const auto& [which, name] : kFitSliderNames)
            rows.insert(text(name), rowMap(page_->fitSlider(cell.seat, which)));
        const auto hint = page_->fitHint(cell.seat);
        const QVariantMap hintMap{
            {QStringLiteral("text"), hint ? QString::fromStdString(hint->text) : QString()},
            {QStringLiteral("tone"),
             hint && hint->tone == HintTone::gold ? QStringLiteral("gold") : QStringLiteral("dim")}};
        blocks.append(QVariantMap{{QStringLiteral("seat"), cell.seat},
                                  {QStringLiteral("caption"), text(cell.caption)},
                                  {QStringLiteral("sliders"), rows},
                                  {QStringLiteral("hint"), hintMap}});
    }
    return blocks;
}

QVariantList SwingPageModel::seatCountOptions() const {
    QVariantList list;
    for (const auto& [count, label] : swing_page::kSeatCounts) list.append(option(count, label));
    return list;
}

QVariantList SwingPageModel::handOptions() const {
    return caseOptions(swing_page::kHands);
}

QVariantList SwingPageModel::attachOptions() const {
    return caseOptions(swing_page::kAttach);
}

QVariantList SwingPageModel::styleOptions() const {
    return caseOptions(swing_page::kStyles);
}

QVariantList SwingPageModel::headOptions() const {
    return caseOptions(swing_page::kHeads);
}

QVariantList SwingPageModel::skinOptions() const {
    return caseOptions(swing_page::kSkins);
}

QString SwingPageModel::overallSizeHint() const {
    return text(swing_page::kOverallSizeHint);
}

QString SwingPageModel::motionHint() const {
    return text(swing_page::kMotionHint);
}

void SwingPageModel::setCharacter(int seat, const QString& name) {
    page_->setCharacter(seat, name.toStdString());
}

void SwingPageModel::setSlider(const QString& name, double value) {
    const auto which = named(kSliderNames, name);
    if (which) page_->setSlider(*which, value);
}

void SwingPageModel::setFitSlider(int seat, const QString& name, double value) {
    const auto which = named(kFitSliderNames, name);
    if (which) page_->setFitSlider(seat, *which, value);
}

void SwingPageModel::resetSettings() {
    page_->resetSettings();
}

void SwingPageModel::remove() {
    if (!page_->exists() || panel_ == nullptr) return;
    panel_->show(page_->remove());
}

void SwingPageModel::getCharacters() {
    if (panel_ != nullptr) panel_->showPacks();
}

}  // namespace plimsa
