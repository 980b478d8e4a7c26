#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace plimsa::fuzz {

/// Takes the next eight bytes of fuzz input as a double (any bit pattern, NaN and infinities included);
/// 0 once the input is used up.
inline double takeDouble(const uint8_t*& data, size_t& size) {
    double value = 0;
    if (size >= sizeof value) {
        std::memcpy(&value, data, sizeof value);
        data += sizeof value;
        size -= sizeof value;
    }
    return value;
}

}  // namespace plimsa::fuzz
