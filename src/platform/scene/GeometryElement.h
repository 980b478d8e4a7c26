#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plimsa {

/// One triangle list of a geometry: every three indices, counter-clockwise seen from the front, make a
/// triangle. Element i of a geometry is drawn with material i modulo the number of materials (SceneKit's
/// rule), so one material serves every element. Plain value.
struct GeometryElement {
    std::vector<uint32_t> indices;

    size_t primitiveCount() const { return indices.size() / 3; }
    bool operator==(const GeometryElement&) const = default;
};

}  // namespace plimsa
