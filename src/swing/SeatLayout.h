#pragma once

#include <vector>

namespace plimsa {

/// Where a swing's characters sit: the board's length along X and the X of each seated character's
/// centre, in seat order (index 0 is the left seat). Scene units. Plain value, compared field by field.
struct SeatLayout {
    double width = 1.0;
    std::vector<double> xs{0.0};

    bool operator==(const SeatLayout&) const = default;
};

}  // namespace plimsa
