#include "character/CharacterRig.h"
#include "platform/gltf/GltfLoader.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"

namespace plimsa {

// The only scene format with named nodes that this platform reads is glTF; the loader tells a binary
// file from a JSON one by its content, so the extension does not matter here.
std::unique_ptr<CharacterRig> CharacterRig::load(const std::filesystem::path& file) {
    const GltfLoadResult loaded = GltfLoader().loadFile(file);
    if (!loaded) return nullptr;
    return fromScene(loaded.scene->rootNode());
}

}  // namespace plimsa
