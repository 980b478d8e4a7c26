#pragma once

#include <cstdint>

namespace plimsa {

/// The 48-bit linear congruential generator of POSIX srand48/drand48, as a value each board or texture
/// build owns, so that no other code can draw from it between seeding and the last draw.
/// For the same seed, `next()` returns exactly the doubles drand48() returns after srand48(seed).
/// Plain value: any thread, one owner at a time.
class Rand48 {
  public:
    /// Seeds as srand48: the low 32 bits of `seed` become the high 32 bits of the state.
    explicit Rand48(long seed = 0) { reseed(seed); }

    void reseed(long seed);

    /// Uniform double in [0, 1), with 48 random bits.
    double next();

    /// The raw 48-bit state (for tests).
    uint64_t state() const { return state_; }

  private:
    uint64_t state_ = 0;
};

}  // namespace plimsa
