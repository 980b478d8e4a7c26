#pragma once

#include "platform/gltf/GltfLimits.h"

#include <string>
#include <string_view>

namespace plimsa {

/// A streaming pass over a glTF JSON document before the full parser sees it, so that nothing hostile
/// reaches a parser that builds objects for every value or recurses on nesting. Fails (with `error`) on
/// malformed JSON, a root that is not an object, nesting deeper than `maxJsonDepth`, more than
/// `maxJsonValues` values, a top-level array longer than `maxArrayEntries` (`maxNodes` for "nodes"),
/// buffers whose declared byte lengths add up to more than `maxBufferBytes`, and buffer views whose
/// range is not an unsigned integer range inside their buffer's declared length. Any thread.
class JsonPreflight {
public:
    static bool check(std::string_view json, const GltfLimits& limits, std::string& error);
};

}  // namespace plimsa
