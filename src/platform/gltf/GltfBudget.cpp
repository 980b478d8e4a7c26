#include "platform/gltf/GltfBudget.h"

namespace plimsa {

bool GltfBudget::fits(uint64_t count, uint64_t bytesEach) const {
    uint64_t bytes = 0;
    return !__builtin_mul_overflow(count, bytesEach, &bytes) && bytes <= left_;
}

bool GltfBudget::take(uint64_t count, uint64_t bytesEach) {
    if (!fits(count, bytesEach)) {
        exceeded_ = true;
        return false;
    }
    left_ -= count * bytesEach;
    return true;
}

std::string GltfBudget::error() const {
    const std::string amount = limit_ >= (uint64_t{1} << 20) ? std::to_string(limit_ >> 20) + " MB"
                                                             : std::to_string((limit_ + 1023) >> 10) + " KB";
    return "the model needs more than " + amount + " of memory to load";
}

}  // namespace plimsa
