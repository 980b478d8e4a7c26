#pragma once

#include <functional>
#include <span>
#include <vector>

#include "swing/SeatLayout.h"

namespace plimsa {

/// The arithmetic of seating one or two characters on a board and of finding, by trial, the smallest
/// size at which a character's hands still reach the chains. `SwingScene` supplies the trials (posing the
/// real character against test chains); everything here is pure and runs on the caller's thread.
/// Lengths are scene units; sizes are multipliers of a character's fitted size.
class SeatSizing {
  public:
    /// Floor of the sizes a character is drawn at when its hands need it; never above this.
    static constexpr double kFloorCap = 1.5;
    /// Minimum that means "the chains are out of reach even at the largest size tried".
    static constexpr double kOutOfReach = 2.0;

    /// One seat (or fewer than two half-widths): width 1.0, xs [0]. Two seats with half-widths a and b:
    /// centres c = max(a + b + 0.1, 0.7) apart, width rounded to 0.05 around both characters.
    static SeatLayout layout(int seats, std::span<const double> halfWidths);

    /// The smallest size at which `reaches` holds, to a hundredth with a 0.02 margin: 0 when 0.5 already
    /// reaches, `kOutOfReach` when 2.0 does not, else bisection between. At most 11 calls of `reaches`.
    static double minimumSize(const std::function<bool(double size)>& reaches);

    /// Sizes drawn for `requested` sizes given the `minimums`: with the floor, max(requested,
    /// min(minimum, kFloorCap)), so a request is never lowered; without it, the requests unchanged.
    static std::vector<double> drawnSizes(const std::vector<double>& requested,
                                          const std::vector<double>& minimums, bool floor);

    /// False when the environment holds "PLIMSA_NOFLOOR" (any value).
    static bool floorApplies();

    struct Resolution {
        SeatLayout layout;
        std::vector<double> effectiveSizes;
        std::vector<double> minimumSizes;
    };
    /// Settles sizes and layout together, at most three rounds: minimums for the current layout, the
    /// drawn sizes they imply, and a new layout when the sizes moved (a larger character widens the
    /// board). `layoutFor` maps sizes to a layout; `minimumFor(i, layout)` gives character i's minimum.
    /// The floor is read from the environment once per round.
    static Resolution resolve(const std::vector<double>& requested,
                              const std::function<SeatLayout(const std::vector<double>&)>& layoutFor,
                              const std::function<double(size_t, const SeatLayout&)>& minimumFor);
};

}  // namespace plimsa
