#pragma once

// Internal to platform/gltf.

#include <cstddef>
#include <cstdint>
#include <string>

namespace plimsa {

/// The bytes one build may still allocate for decoded data (GltfLimits::maxDecodedBytes). Whatever
/// allocates in proportion to a count the file declares charges the budget first, so that a few hundred
/// bytes of JSON cannot ask for gigabytes. A refused charge is remembered, and the build reports it as
/// the reason it failed. One instance per build; not thread-safe.
class GltfBudget {
  public:
    explicit GltfBudget(size_t bytes) : limit_(bytes), left_(bytes) {}

    /// Takes `count * bytesEach`. False, with nothing taken and the refusal remembered, when that is
    /// more than is left.
    bool take(uint64_t count, uint64_t bytesEach);
    /// Whether `count * bytesEach` would be taken, without taking it or remembering anything.
    bool fits(uint64_t count, uint64_t bytesEach) const;
    uint64_t left() const { return left_; }
    /// Whether a charge was refused.
    bool exceeded() const { return exceeded_; }
    /// The message a build refused for its budget reports.
    std::string error() const;

  private:
    uint64_t limit_;
    uint64_t left_;
    bool exceeded_ = false;
};

}  // namespace plimsa
