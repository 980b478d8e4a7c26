#pragma once

#include <cstdint>

namespace plimsa {

/// The 32-bit linear congruential sequence that places liana leaves:
/// s = s * 1664525 + 1013904223 (mod 2^32), r = (s >> 8) / 2^24 as a float in [0, 1).
/// Plain value: any thread, one owner at a time.
class Lcg32 {
  public:
    explicit Lcg32(uint32_t seed) : state_(seed) {}

    /// Advances the state, then returns r.
    float next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<float>(state_ >> 8) / 16777216.0f;
    }

    uint32_t state() const { return state_; }

  private:
    uint32_t state_;
};

}  // namespace plimsa
