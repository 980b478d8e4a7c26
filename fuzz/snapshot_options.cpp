// Feeds arbitrary command lines (NUL-separated arguments) to the snapshot mode's option parsing. Whatever
// the arguments, parsing must not crash and what it gives must be usable as is: at most two seat names,
// finite numbers, and a look point only with exactly two finite coordinates.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/SnapshotRequest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace plimsa;
    std::vector<std::string> arguments(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            arguments.emplace_back();
        else
            arguments.back().push_back(static_cast<char>(data[i]));
    }
    const auto request = SnapshotRequests::parse(SnapshotArguments(arguments));
    if (!request || !std::holds_alternative<SwingRequest>(*request)) return 0;
    const SwingRequest& swing = std::get<SwingRequest>(*request);
    if (swing.characters.size() > 2 || !std::isfinite(swing.thetaDegrees)) std::abort();
    if (swing.legOverride && !std::isfinite(*swing.legOverride)) std::abort();
    if (swing.look && !(std::isfinite(swing.look->x) && std::isfinite(swing.look->y))) std::abort();
    const SwingConfig& config = swing.config;
    for (double value : {config.ropeLength, config.tiltDegrees, config.cruiseAmplitudeDegrees,
                         config.gripReach, config.legBias, config.kick, config.lean, config.swingScale})
        if (!std::isfinite(value)) std::abort();
    for (const CharacterFit& fit : config.fits)
        if (!std::isfinite(fit.size)) std::abort();
    return 0;
}
