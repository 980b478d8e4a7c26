#include "platform/gltf/GltfAccessors.h"

#include <algorithm>
#include <cstring>

namespace plimsa {
namespace {

double readComponent(const unsigned char* at, int componentType) {
    switch (componentType) {
        case TINYGLTF_COMPONENT_TYPE_BYTE:
            return static_cast<int8_t>(*at);
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
            return *at;
        case TINYGLTF_COMPONENT_TYPE_SHORT: {
            int16_t value;
            std::memcpy(&value, at, 2);
            return value;
        }
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
            uint16_t value;
            std::memcpy(&value, at, 2);
            return value;
        }
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: {
            uint32_t value;
            std::memcpy(&value, at, 4);
            return value;
        }
        case TINYGLTF_COMPONENT_TYPE_FLOAT: {
            float value;
            std::memcpy(&value, at, 4);
            return value;
        }
        default:
            return 0.0;
    }
}

double normalised(double value, int componentType) {
    switch (componentType) {
        case TINYGLTF_COMPONENT_TYPE_BYTE:
            return std::max(value / 127.0, -1.0);
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
            return value / 255.0;
        case TINYGLTF_COMPONENT_TYPE_SHORT:
            return std::max(value / 32767.0, -1.0);
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
            return value / 65535.0;
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
            return value / 4294967295.0;
        default:
            return value;
    }
}

bool validIndex(int index, size_t size) {
    return index >= 0 && static_cast<size_t>(index) < size;
}

}  // namespace

int GltfAccessors::componentCount(int type) {
    switch (type) {
        case TINYGLTF_TYPE_SCALAR:
            return 1;
        case TINYGLTF_TYPE_VEC2:
            return 2;
        case TINYGLTF_TYPE_VEC3:
            return 3;
        case TINYGLTF_TYPE_VEC4:
            return 4;
        case TINYGLTF_TYPE_MAT2:
            return 4;
        case TINYGLTF_TYPE_MAT3:
            return 9;
        case TINYGLTF_TYPE_MAT4:
            return 16;
        default:
            return 0;
    }
}

int GltfAccessors::componentBytes(int componentType) {
    switch (componentType) {
        case TINYGLTF_COMPONENT_TYPE_BYTE:
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
            return 1;
        case TINYGLTF_COMPONENT_TYPE_SHORT:
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
            return 2;
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
        case TINYGLTF_COMPONENT_TYPE_FLOAT:
            return 4;
        default:
            return 0;
    }
}

uint64_t GltfAccessors::stride(const tinygltf::Accessor& accessor) const {
    const uint64_t packed = static_cast<uint64_t>(componentCount(accessor.type)) *
                            static_cast<uint64_t>(componentBytes(accessor.componentType));
    if (!validIndex(accessor.bufferView, model_.bufferViews.size())) return packed;
    const size_t declared = model_.bufferViews[static_cast<size_t>(accessor.bufferView)].byteStride;
    return declared == 0 ? packed : declared;
}

bool GltfAccessors::rangeInside(int view, uint64_t offset, uint64_t stride, uint64_t count,
                                uint64_t elementBytes) const {
    if (!validIndex(view, model_.bufferViews.size())) return false;
    const tinygltf::BufferView& bufferView = model_.bufferViews[static_cast<size_t>(view)];
    if (!validIndex(bufferView.buffer, model_.buffers.size())) return false;
    const uint64_t bufferSize = model_.buffers[static_cast<size_t>(bufferView.buffer)].data.size();
    if (bufferView.byteOffset > bufferSize || bufferView.byteLength > bufferSize - bufferView.byteOffset)
        return false;
    if (count == 0) return offset <= bufferView.byteLength;
    uint64_t span = 0;
    if (__builtin_mul_overflow(stride, count - 1, &span) ||
        __builtin_add_overflow(span, elementBytes, &span) || __builtin_add_overflow(span, offset, &span))
        return false;
    return span <= bufferView.byteLength;
}

bool GltfAccessors::isReadable(int index, size_t maxCount, std::string& error) const {
    const std::string name = "accessor " + std::to_string(index);
    if (!validIndex(index, model_.accessors.size())) {
        error = name + " does not exist";
        return false;
    }
    const tinygltf::Accessor& accessor = model_.accessors[static_cast<size_t>(index)];
    const int components = componentCount(accessor.type);
    const int bytes = componentBytes(accessor.componentType);
    if (components == 0 || bytes == 0) {
        error = name + " has an unknown type";
        return false;
    }
    if (accessor.count > maxCount) {
        error = name + " has too many elements";
        return false;
    }
    const uint64_t elementBytes = static_cast<uint64_t>(components) * static_cast<uint64_t>(bytes);
    if (accessor.bufferView >= 0) {
        if (!validIndex(accessor.bufferView, model_.bufferViews.size()) ||
            !rangeInside(accessor.bufferView, accessor.byteOffset, stride(accessor), accessor.count,
                         elementBytes)) {
            error = name + " reads outside its buffer";
            return false;
        }
    }
    if (!accessor.sparse.isSparse) return true;
    const auto& sparse = accessor.sparse;
    const int indexBytes = componentBytes(sparse.indices.componentType);
    if (sparse.count < 0 || static_cast<size_t>(sparse.count) > accessor.count || indexBytes == 0 ||
        sparse.indices.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT ||
        !rangeInside(sparse.indices.bufferView, static_cast<uint64_t>(std::max(sparse.indices.byteOffset, 0)),
                     static_cast<uint64_t>(indexBytes), static_cast<uint64_t>(sparse.count),
                     static_cast<uint64_t>(indexBytes)) ||
        !rangeInside(sparse.values.bufferView, static_cast<uint64_t>(std::max(sparse.values.byteOffset, 0)),
                     elementBytes, static_cast<uint64_t>(sparse.count), elementBytes)) {
        error = name + " has a malformed sparse part";
        return false;
    }
    return true;
}

template <typename T, typename Convert>
bool GltfAccessors::read(int index, size_t maxElements, std::vector<T>& out, Convert convert) const {
    std::string ignored;
    if (!isReadable(index, SIZE_MAX, ignored)) return false;
    const tinygltf::Accessor& accessor = model_.accessors[static_cast<size_t>(index)];
    const size_t elements = std::min(accessor.count, maxElements);
    const size_t components = static_cast<size_t>(componentCount(accessor.type));
    const size_t bytes = static_cast<size_t>(componentBytes(accessor.componentType));
    if (budget_ && !budget_->take(elements * components, sizeof(T))) return false;
    out.assign(elements * components, T{});
    if (accessor.bufferView >= 0) {
        const tinygltf::BufferView& view = model_.bufferViews[static_cast<size_t>(accessor.bufferView)];
        const unsigned char* base = model_.buffers[static_cast<size_t>(view.buffer)].data.data() +
                                    view.byteOffset + accessor.byteOffset;
        const auto step = static_cast<size_t>(stride(accessor));
        for (size_t element = 0; element < elements; ++element)
            for (size_t c = 0; c < components; ++c)
                out[element * components + c] =
                    convert(readComponent(base + element * step + c * bytes, accessor.componentType));
    }
    return !accessor.sparse.isSparse || applySparse(accessor, elements, out, convert);
}

// A substitution past the accessor makes it unreadable; one past the elements being read is skipped.
template <typename T, typename Convert>
bool GltfAccessors::applySparse(const tinygltf::Accessor& accessor, size_t elements, std::vector<T>& out,
                                Convert convert) const {
    const auto& sparse = accessor.sparse;
    const size_t components = static_cast<size_t>(componentCount(accessor.type));
    const size_t bytes = static_cast<size_t>(componentBytes(accessor.componentType));
    const size_t indexBytes = static_cast<size_t>(componentBytes(sparse.indices.componentType));
    const auto start = [&](int viewIndex, int offset) {
        const tinygltf::BufferView& view = model_.bufferViews[static_cast<size_t>(viewIndex)];
        return model_.buffers[static_cast<size_t>(view.buffer)].data.data() + view.byteOffset +
               static_cast<size_t>(offset);
    };
    const unsigned char* indices = start(sparse.indices.bufferView, std::max(sparse.indices.byteOffset, 0));
    const unsigned char* values = start(sparse.values.bufferView, std::max(sparse.values.byteOffset, 0));
    for (size_t i = 0; i < static_cast<size_t>(sparse.count); ++i) {
        const auto target =
            static_cast<size_t>(readComponent(indices + i * indexBytes, sparse.indices.componentType));
        if (target >= accessor.count) return false;
        if (target >= elements) continue;
        for (size_t c = 0; c < components; ++c)
            out[target * components + c] =
                convert(readComponent(values + (i * components + c) * bytes, accessor.componentType));
    }
    return true;
}

bool GltfAccessors::readFloats(int index, std::vector<float>& out, size_t maxElements) const {
    if (!validIndex(index, model_.accessors.size())) return false;
    const tinygltf::Accessor& accessor = model_.accessors[static_cast<size_t>(index)];
    const int type = accessor.componentType;
    const bool normalize = accessor.normalized;
    return read(index, maxElements, out, [type, normalize](double raw) {
        return static_cast<float>(normalize ? normalised(raw, type) : raw);
    });
}

bool GltfAccessors::readUnsigned(int index, std::vector<uint32_t>& out) const {
    if (!validIndex(index, model_.accessors.size())) return false;
    const int type = model_.accessors[static_cast<size_t>(index)].componentType;
    if (type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE && type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT &&
        type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT)
        return false;
    return read(index, SIZE_MAX, out, [](double raw) { return static_cast<uint32_t>(raw); });
}

}  // namespace plimsa
