#pragma once

// Internal to platform/gltf.

#include "platform/gltf/GltfBudget.h"

#include <tiny_gltf.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plimsa {

/// Bounds-checked reading of glTF accessors (dense data, zero-filled data without a buffer view, and
/// sparse substitutions). Every read re-checks its ranges, so a read never leaves its buffer even on a
/// document that skipped validation. With a budget, each read first charges it for the values it returns
/// (an accessor without a buffer view costs nothing in the file but everything here). Reads the model it
/// was given; one thread at a time per budget.
class GltfAccessors {
  public:
    explicit GltfAccessors(const tinygltf::Model& model, GltfBudget* budget = nullptr)
        : model_(model), budget_(budget) {}

    /// Number of components of an accessor type (SCALAR 1 ... MAT4 16), 0 for an unknown type.
    static int componentCount(int type);
    /// Bytes of one component (1, 2 or 4), 0 for an unknown or disallowed component type.
    static int componentBytes(int componentType);

    /// Whether every byte the accessor (and its sparse part) would read lies inside its buffers, the
    /// types are known, and sparse indices are in range. `error` names the problem.
    bool isReadable(int accessor, size_t maxCount, std::string& error) const;

    /// All components of the first `maxElements` elements (all of them by default) as floats, row after
    /// row. Normalised integer types map to [0, 1] or [-1, 1]; other integers convert as they are.
    /// False when the accessor is not readable or the values do not fit the budget.
    bool readFloats(int accessor, std::vector<float>& out, size_t maxElements = SIZE_MAX) const;
    /// All components as unsigned integers (for indices and joints); false for float or signed types,
    /// and as readFloats.
    bool readUnsigned(int accessor, std::vector<uint32_t>& out) const;

  private:
    /// Bytes from one element to the next: the view's stride, or tightly packed without one.
    uint64_t stride(const tinygltf::Accessor& accessor) const;
    bool rangeInside(int view, uint64_t offset, uint64_t stride, uint64_t count, uint64_t elementBytes) const;
    template <typename T, typename Convert>
    bool read(int accessor, size_t maxElements, std::vector<T>& out, Convert convert) const;
    template <typename T, typename Convert>
    bool applySparse(const tinygltf::Accessor& accessor, size_t elements, std::vector<T>& out,
                     Convert convert) const;

    const tinygltf::Model& model_;
    GltfBudget* budget_;
};

}  // namespace plimsa
