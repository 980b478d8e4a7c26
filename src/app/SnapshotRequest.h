#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <glm/glm.hpp>

#include "app/SnapshotArguments.h"
#include "config/CornerSide.h"
#include "config/SwingConfig.h"

namespace plimsa {

/// "--scan-min" NAME.
struct SizeScanRequest {
    std::string name;
    bool operator==(const SizeScanRequest&) const = default;
};

/// "--corner" OUT with "--model" and "--side".
struct CornerRequest {
    std::string out;
    std::string model;  // "" when "--model" is absent
    CornerSide side = CornerSide::right;
    bool operator==(const CornerRequest&) const = default;
};

/// "--preview" MODEL OUT.
struct PreviewRequest {
    std::string model;
    std::string out;
    bool operator==(const PreviewRequest&) const = default;
};

/// "--snapshot" OUT [THETA] with its options.
struct SwingRequest {
    std::string out;
    double thetaDegrees = 0.0;
    SwingConfig config;
    int seats = 1;
    /// What `setCharacters` gets: the seat count's worth of "--model" names.
    std::vector<std::string> characters{""};
    std::optional<double> legOverride;
    /// "--look" X,Y in points of the image (half its pixels), origin at the bottom left.
    std::optional<glm::dvec2> look;
};

/// One snapshot-mode form, read from the command line. Forms are tried in the order of the variant;
/// a form whose values are missing is passed over. Unparsable option values keep their defaults.
using SnapshotRequest = std::variant<SizeScanRequest, CornerRequest, PreviewRequest, SwingRequest>;

namespace SnapshotRequests {

/// The first form present with its required values, or nothing (the application starts normally).
std::optional<SnapshotRequest> parse(const SnapshotArguments& arguments);

/// The swing options applied to a default record (`id` kept from `config`).
SwingRequest parseSwing(const SnapshotArguments& arguments, std::string out);

/// "--model" A,B,...: pieces split on commas, empty ones dropped. No names at all (absent, "" or only
/// commas) gives one empty name: the built-in figure.
std::vector<std::string> modelNames(const std::optional<std::string>& value);

/// The names for `seats` seats: fewer names than seats repeat the first name on every seat; then the
/// first `seats` names. `seats` is held in [0, 2] (no swing has more; 0 leaves the scene its one empty
/// seat).
std::vector<std::string> seatNames(const std::vector<std::string>& names, int seats);

/// Applies one "--set" KEY=VALUE to `request`; false (and no change) when it is malformed or the key is
/// unknown.
bool applySet(SwingRequest& request, const std::string& argument);

/// "--look" X,Y: pieces that are not numbers are dropped; exactly two numbers must remain.
std::optional<glm::dvec2> lookPoint(const std::string& value);

}  // namespace SnapshotRequests

}  // namespace plimsa
