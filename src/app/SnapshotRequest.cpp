#include "app/SnapshotRequest.h"

#include <algorithm>

#include "app/DecimalText.h"
#include "config/CaseNames.h"
#include "config/CharacterFit.h"
#include "config/HandMode.h"
#include "config/SwingSkin.h"
#include "config/SwingStyle.h"

namespace plimsa {

namespace {

std::vector<std::string> splitOnCommas(const std::string& text) {
    std::vector<std::string> pieces;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        pieces.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) return pieces;
        start = comma + 1;
    }
}

template <typename Enum>
void readCase(const SnapshotArguments& arguments, const char* flag, Enum& field) {
    if (const auto value = arguments.flag(flag))
        if (const auto parsed = caseNamed<Enum>(*value)) field = *parsed;
}

std::optional<SnapshotRequest> swingForm(const SnapshotArguments& arguments) {
    const auto out = arguments.flag("--snapshot");
    if (!out) return std::nullopt;
    return SnapshotRequests::parseSwing(arguments, *out);
}

}  // namespace

std::optional<SnapshotRequest> SnapshotRequests::parse(const SnapshotArguments& arguments) {
    if (const auto name = arguments.flag("--scan-min")) return SizeScanRequest{*name};
    if (const auto out = arguments.flag("--corner")) {
        CornerRequest corner{*out, arguments.flag("--model").value_or(""), CornerSide::right};
        if (arguments.flag("--side") == "left") corner.side = CornerSide::left;
        return corner;
    }
    const auto model = arguments.after("--preview", 1);
    const auto previewOut = arguments.after("--preview", 2);
    if (model && previewOut) return PreviewRequest{*model, *previewOut};
    return swingForm(arguments);
}

SwingRequest SnapshotRequests::parseSwing(const SnapshotArguments& arguments, std::string out) {
    SwingRequest request;
    request.out = std::move(out);
    if (const auto theta = arguments.after("--snapshot", 2))
        request.thetaDegrees = DecimalText::parseDouble(*theta).value_or(0.0);

    SwingConfig& config = request.config;
    if (const auto style = arguments.flag("--style"))
        if (const auto preset = caseNamed<SwingStyle>(*style)) config.applyStyle(*preset);
    if (const auto seats = arguments.flag("--seats"))
        request.seats = DecimalText::parseInt(*seats).value_or(1);
    readCase(arguments, "--skin", config.skin);
    readCase(arguments, "--left", config.handLeft);
    readCase(arguments, "--right", config.handRight);
    readCase(arguments, "--inner", config.innerHand);
    for (const std::string& set : arguments.values("--set")) applySet(request, set);
    request.characters = seatNames(modelNames(arguments.flag("--model")), request.seats);
    if (const auto look = arguments.flag("--look")) request.look = lookPoint(*look);
    return request;
}

std::vector<std::string> SnapshotRequests::modelNames(const std::optional<std::string>& value) {
    std::vector<std::string> names;
    if (value)
        for (std::string& piece : splitOnCommas(*value))
            if (!piece.empty()) names.push_back(std::move(piece));
    if (names.empty()) names.emplace_back();
    return names;
}

std::vector<std::string> SnapshotRequests::seatNames(const std::vector<std::string>& names, int seats) {
    const size_t count = static_cast<size_t>(std::clamp(seats, 0, 2));
    std::vector<std::string> seated = names;
    if (seated.size() < count) seated.assign(count, names.empty() ? std::string() : names.front());
    seated.resize(std::min(seated.size(), count));
    return seated;
}

bool SnapshotRequests::applySet(SwingRequest& request, const std::string& argument) {
    const size_t equals = argument.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == argument.size() ||
        argument.find('=', equals + 1) != std::string::npos)
        return false;
    const std::string key = argument.substr(0, equals);
    const auto value = DecimalText::parseDouble(std::string_view(argument).substr(equals + 1));
    if (!value) return false;
    SwingConfig& config = request.config;
    const double v = *value;
    if (key == "rope")
        config.ropeLength = v;
    else if (key == "tilt")
        config.tiltDegrees = v;
    else if (key == "amp")
        config.cruiseAmplitudeDegrees = v;
    else if (key == "grip")
        config.gripReach = v;
    else if (key == "legs")
        config.legBias = v;
    else if (key == "kick")
        config.kick = v;
    else if (key == "lean")
        config.lean = v;
    else if (key == "size")
        config.fits = {CharacterFit{v, 0.0, 0.0}, CharacterFit{v, 0.0, 0.0}};
    else if (key == "leg")
        request.legOverride = v;
    else if (key == "scale")
        config.swingScale = v;
    else
        return false;
    return true;
}

std::optional<glm::dvec2> SnapshotRequests::lookPoint(const std::string& value) {
    std::vector<double> numbers;
    for (const std::string& piece : splitOnCommas(value))
        if (const auto number = DecimalText::parseDouble(piece)) numbers.push_back(*number);
    if (numbers.size() != 2) return std::nullopt;
    return glm::dvec2(numbers[0], numbers[1]);
}

}  // namespace plimsa
