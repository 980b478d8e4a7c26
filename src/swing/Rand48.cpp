#include "swing/Rand48.h"

namespace plimsa {

namespace {

constexpr uint64_t kMultiplier = 0x5DEECE66DULL;
constexpr uint64_t kAddend = 0xB;
constexpr uint64_t kMask = (uint64_t{1} << 48) - 1;
// The low 16 bits that srand48 puts under the seed.
constexpr uint64_t kSeedLow = 0x330E;

}  // namespace

void Rand48::reseed(long seed) {
    state_ = ((static_cast<uint64_t>(seed) & 0xFFFFFFFFULL) << 16) | kSeedLow;
}

double Rand48::next() {
    state_ = (state_ * kMultiplier + kAddend) & kMask;
    // 48 bits fit a double's mantissa, so this division is exact, as in the C library.
    return static_cast<double>(state_) / static_cast<double>(uint64_t{1} << 48);
}

}  // namespace plimsa
