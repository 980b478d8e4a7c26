#include "panel/SwingPage.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "panel/ValueText.h"

namespace plimsa {
namespace {

struct SliderSpec {
    double SwingConfig::*field;
    std::string_view title;
    double minimum;
    double maximum;
    std::string_view unit;
};

// Indexed by SwingSlider. The position slider's title is decided by the way of hanging.
constexpr std::array<SliderSpec, 10> kSliders{{
    {&SwingConfig::anchorFraction, "", 0.05, 0.95, ""},
    {&SwingConfig::swingScale, "Overall size", 0.35, 1.3, ""},
    {&SwingConfig::ropeLength, "Rope length", 1.2, 7.0, ""},
    {&SwingConfig::tiltDegrees, "Tilt", -80.0, 80.0, "°"},
    {&SwingConfig::cruiseAmplitudeDegrees, "Amplitude", 3.0, 180.0, "°"},
    {&SwingConfig::kick, "Kick", 0.0, 1.6, ""},
    {&SwingConfig::lean, "Lean", 0.0, 2.0, ""},
    {&SwingConfig::legBias, "Legs tucked ↔ extended", -1.0, 1.0, ""},
    {&SwingConfig::gripReach, "Grip height", 0.35, 0.95, ""},
    {&SwingConfig::shine, "Shine", 0.0, 1.0, ""},
}};

struct FitSpec {
    double CharacterFit::*field;
    std::string_view title;
    double minimum;
    double maximum;
};

// Indexed by FitSlider.
constexpr std::array<FitSpec, 3> kFitSliders{{
    {&CharacterFit::size, "Size", 0.6, 1.5},
    {&CharacterFit::lift, "Seat height", -0.2, 0.2},
    {&CharacterFit::forward, "Forward / back", -0.25, 0.25},
}};

SliderRow row(std::string_view title, double minimum, double maximum, std::string_view unit, double value) {
    return {std::string(title), minimum, maximum, unit, value, valueText(value, unit)};
}

HandMode SwingConfig::*handField(HandSlot slot) {
    switch (slot) {
        case HandSlot::left:
            return &SwingConfig::handLeft;
        case HandSlot::right:
            return &SwingConfig::handRight;
        case HandSlot::inner:
            break;
    }
    return &SwingConfig::innerHand;
}

std::optional<double> sizeFor(const SwingInfo::SizeTable& table, const Uuid& id, int seat) {
    const auto found = table.find(id);
    if (found == table.end() || seat < 0 || static_cast<std::size_t>(seat) >= found->second.size())
        return std::nullopt;
    return found->second[static_cast<std::size_t>(seat)];
}

}  // namespace

SwingPage::SwingPage(Settings& settings, const SwingInfo& info, Uuid id, std::vector<std::string> library)
    : settings_(settings), info_(info), id_(std::move(id)), library_(std::move(library)) {}

std::optional<std::size_t> SwingPage::index() const {
    const auto& swings = settings_.v().swings;
    const auto found = std::find_if(swings.begin(), swings.end(), [&](const auto& s) { return s.id == id_; });
    if (found == swings.end()) return std::nullopt;
    return static_cast<std::size_t>(found - swings.begin());
}

SwingConfig SwingPage::config() const {
    if (const auto at = index()) return settings_.v().swings[*at];
    SwingConfig fallback;
    fallback.id = id_;
    return fallback;
}

void SwingPage::write(const std::function<void(SwingConfig&)>& edit) {
    if (!exists()) return;
    settings_.update([&](Settings::Values& v) {
        // Found again in the value the change builds on, which may differ from `v()` while a change is
        // being announced.
        for (auto& swing : v.swings)
            if (swing.id == id_) return edit(swing);
    });
}

void SwingPage::resetSettings() {
    if (const auto at = index()) settings_.resetSwing(static_cast<int>(*at));
}

PanelPage SwingPage::remove() {
    const auto at = index();
    if (at)
        settings_.update([&](Settings::Values& v) {
            std::erase_if(v.swings, [&](const auto& s) { return s.id == id_; });
        });
    return pageAfterRemoval(settings_.v(), PanelPage::Kind::swing, at.value_or(settings_.v().swings.size()));
}

bool SwingPage::hasSeat(int seat) const {
    return seat >= 0 && seat < seatCount();
}

int SwingPage::seatCount() const {
    return static_cast<int>(config().characters.size());
}

void SwingPage::setSeatCount(int count) {
    if (count != 1 && count != 2) return;
    write([&](SwingConfig& swing) {
        auto& seats = swing.characters;
        std::string filler;
        if (!seats.empty() && !seats.front().empty())
            filler = seats.front();
        else if (!library_.empty())
            filler = library_.front();
        seats.resize(static_cast<std::size_t>(count), filler);
    });
}

std::vector<SeatCell> SwingPage::seatCells() const {
    const auto seats = config().characters;
    const int count = static_cast<int>(seats.size());
    std::vector<SeatCell> cells;
    for (int seat = 0; seat < count; ++seat) {
        const auto& name = seats[static_cast<std::size_t>(seat)];
        cells.push_back({seat, swing_page::seatCaption(seat, count), name,
                         name.empty() ? swing_page::kEmptySeat : std::string_view{}});
    }
    return cells;
}

void SwingPage::setCharacter(int seat, const std::string& name) {
    if (!hasSeat(seat)) return;
    write([&](SwingConfig& swing) {
        if (seat >= 0 && static_cast<std::size_t>(seat) < swing.characters.size())
            swing.characters[static_cast<std::size_t>(seat)] = name;
    });
}

bool SwingPage::showsHand(HandSlot slot) const {
    return seatCount() == (slot == HandSlot::inner ? 2 : 1);
}

HandMode SwingPage::hand(HandSlot slot) const {
    return config().*handField(slot);
}

void SwingPage::setHand(HandSlot slot, HandMode mode) {
    write([&](SwingConfig& swing) { swing.*handField(slot) = mode; });
}

void SwingPage::setAttach(SwingAttach attach) {
    write([&](SwingConfig& swing) { swing.attach = attach; });
}

std::string_view SwingPage::attachHint() const {
    return swing_page::attachHint(config().attach);
}

void SwingPage::setStyle(SwingStyle style) {
    write([&](SwingConfig& swing) { swing.applyStyle(style); });
}

void SwingPage::setHeadMode(HeadMode mode) {
    write([&](SwingConfig& swing) { swing.headMode = mode; });
}

void SwingPage::setSkin(SwingSkin skin) {
    write([&](SwingConfig& swing) { swing.skin = skin; });
}

void SwingPage::setPumping(bool pumping) {
    write([&](SwingConfig& swing) { swing.pumping = pumping; });
}

SliderRow SwingPage::slider(SwingSlider which) const {
    const auto swing = config();
    const auto& spec = kSliders[static_cast<std::size_t>(which)];
    std::string_view title = spec.title;
    if (which == SwingSlider::position)
        title = swing.attach == SwingAttach::window ? "Position on window" : "Position on screen";
    return row(title, spec.minimum, spec.maximum, spec.unit, swing.*spec.field);
}

void SwingPage::setSlider(SwingSlider which, double value) {
    if (std::isnan(value)) return;
    const auto& spec = kSliders[static_cast<std::size_t>(which)];
    write([&](SwingConfig& swing) { swing.*spec.field = std::clamp(value, spec.minimum, spec.maximum); });
}

CharacterFit SwingPage::fit(int seat) const {
    const auto fits = config().fits;
    if (seat < 0 || static_cast<std::size_t>(seat) >= fits.size()) return CharacterFit{};
    return fits[static_cast<std::size_t>(seat)];
}

SliderRow SwingPage::fitSlider(int seat, FitSlider which) const {
    const auto& spec = kFitSliders[static_cast<std::size_t>(which)];
    return row(spec.title, spec.minimum, spec.maximum, "", fit(seat).*spec.field);
}

void SwingPage::setFitSlider(int seat, FitSlider which, double value) {
    if (std::isnan(value)) return;
    if (!hasSeat(seat)) return;
    const auto& spec = kFitSliders[static_cast<std::size_t>(which)];
    write([&](SwingConfig& swing) {
        // Seats beyond the swing would only pad `fits` with adjustments nobody can see.
        if (seat < 0 || static_cast<std::size_t>(seat) >= swing.characters.size()) return;
        CharacterFit changed = static_cast<std::size_t>(seat) < swing.fits.size()
                                   ? swing.fits[static_cast<std::size_t>(seat)]
                                   : CharacterFit{};
        changed.*spec.field = std::clamp(value, spec.minimum, spec.maximum);
        swing.setFit(seat, changed);
    });
}

std::optional<Hint> SwingPage::fitHint(int seat) const {
    return swing_page::fitHint(fit(seat).size, sizeFor(info_.maxCharacterSize(), id_, seat),
                               sizeFor(info_.minCharacterSize(), id_, seat));
}

}  // namespace plimsa
