#include "swing/SeatSizing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace plimsa {

SeatLayout SeatSizing::layout(int seats, std::span<const double> halfWidths) {
    if (seats < 2 || halfWidths.size() < 2) return SeatLayout{1.0, {0.0}};
    const double a = halfWidths[0];
    const double b = halfWidths[1];
    const double centres = std::max(a + b + 0.1, 0.7);
    const double widest = std::max(a, b);
    const double width = std::round((centres + 2 * (widest + 0.06)) * 20) / 20;
    return SeatLayout{width, {-centres / 2, centres / 2}};
}

double SeatSizing::minimumSize(const std::function<bool(double)>& reaches) {
    if (reaches(0.5)) return 0.0;
    if (!reaches(kOutOfReach)) return kOutOfReach;
    double low = 1.25;
    double high = kOutOfReach;
    if (reaches(1.25)) {
        high = 1.25;
        low = 0.5;
    }
    for (int test = 0; test < 8; ++test) {
        const double mid = (high + low) / 2;
        if (reaches(mid))
            high = mid;
        else
            low = mid;
    }
    // `high` is the smallest size that was seen to reach.
    return std::round((high + 0.02) * 100) / 100;
}

std::vector<double> SeatSizing::drawnSizes(const std::vector<double>& requested,
                                           const std::vector<double>& minimums, bool floor) {
    std::vector<double> sizes = requested;
    if (!floor) return sizes;
    for (size_t i = 0; i < sizes.size() && i < minimums.size(); ++i)
        sizes[i] = std::max(sizes[i], std::min(minimums[i], kFloorCap));
    return sizes;
}

bool SeatSizing::floorApplies() {
    return std::getenv("PLIMSA_NOFLOOR") == nullptr;
}

SeatSizing::Resolution SeatSizing::resolve(
    const std::vector<double>& requested,
    const std::function<SeatLayout(const std::vector<double>&)>& layoutFor,
    const std::function<double(size_t, const SeatLayout&)>& minimumFor) {
    Resolution result{layoutFor(requested), requested, std::vector<double>(requested.size(), 0.0)};
    for (int round = 0; round < 3; ++round) {
        const bool floor = floorApplies();
        for (size_t i = 0; i < requested.size(); ++i) result.minimumSizes[i] = minimumFor(i, result.layout);
        std::vector<double> sizes = drawnSizes(requested, result.minimumSizes, floor);
        if (sizes == result.effectiveSizes) break;
        result.effectiveSizes = std::move(sizes);
        result.layout = layoutFor(result.effectiveSizes);
    }
    return result;
}

}  // namespace plimsa
