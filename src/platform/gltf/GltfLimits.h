#pragma once

#include <cstddef>

namespace plimsa {

/// Caps on the work one glTF load may do, so that a hostile or broken file ends as "no scene" instead of
/// exhausting memory or time. The defaults admit any reasonable character model with room to spare.
struct GltfLimits {
    size_t maxFileBytes = size_t{256} << 20;    // the .glb or .gltf file itself
    size_t maxBufferBytes = size_t{256} << 20;  // all buffers together (embedded, data: URIs, .bin files);
                                                // external files: each at most this, all at most twice this
    int maxJsonDepth = 64;                      // nesting of objects and arrays
    size_t maxJsonValues = 1'000'000;           // every value in the JSON document
    size_t maxArrayEntries = 100'000;           // entries of each top-level array (accessors, meshes...)
    size_t maxNodes = 16'384;
    int maxHierarchyDepth = 256;
    size_t maxVertices = 4'000'000;  // all built primitives together
    size_t maxIndices = 24'000'000;  // all built primitives together, after strips and fans are expanded
    int maxImageSide = 16'384;       // pixels; a larger image makes the whole file fail
    size_t maxImagePixels = size_t{128} << 20;  // all decoded images together
    // What building may allocate in proportion to counts the file declares, all together: decoded
    // accessor values, mesh vertices and triangles, skin bones (every joint of a skin, once per node that
    // uses it) and image texels. Checked before each allocation: past it the load fails, except that an
    // image past it is left out (a warning). Real characters, even with a 4096 px texture, use a fraction.
    size_t maxDecodedBytes = size_t{256} << 20;
};

}  // namespace plimsa
