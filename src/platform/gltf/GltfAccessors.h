#pragma once

// Internal to platform/gltf.

#include <tiny_gltf.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plimsa {

/// Bounds-checked reading of glTF accessors (dense data, zero-filled data without a buffer view, and
/// sparse substitutions). Every read re-checks its ranges, so a read never leaves its buffer even on a
/// document that skipped validation. Reads the model it was given; any thread.
class GltfAccessors {
public:
    explicit GltfAccessors(const tinygltf::Model& model) : model_(model) {}

    /// Number of components of an accessor type (SCALAR 1 ... MAT4 16), 0 for an unknown type.
    static int componentCount(int type);
    /// Bytes of one component (1, 2 or 4), 0 for an unknown or disallowed component type.
    static int componentBytes(int componentType);

    /// Whether every byte the accessor (and its sparse part) would read lies inside its buffers, the
    /// types are known, and sparse indices are in range. `error` names the problem.
    bool isReadable(int accessor, size_t maxCount, std::string& error) const;

    /// All components of all elements as floats, row after row (count * componentCount values).
    /// Normalised integer types map to [0, 1] or [-1, 1]; other integers convert as they are.
    /// False when the accessor is not readable.
    bool readFloats(int accessor, std::vector<float>& out) const;
    /// All components as unsigned integers (for indices and joints); false for float or signed types.
    bool readUnsigned(int accessor, std::vector<uint32_t>& out) const;

private:
    /// Bytes from one element to the next: the view's stride, or tightly packed without one.
    uint64_t stride(const tinygltf::Accessor& accessor) const;
    bool rangeInside(int view, uint64_t offset, uint64_t stride, uint64_t count, uint64_t elementBytes) const;
    bool readRaw(int accessor, std::vector<double>& out) const;
    bool applySparse(const tinygltf::Accessor& accessor, std::vector<double>& out) const;

    const tinygltf::Model& model_;
};

}  // namespace plimsa
