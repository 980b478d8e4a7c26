#pragma once

#include "character/SkinnedCharacter.h"
#include "platform/gltf/GltfLoader.h"
#include "platform/scene/BoundingBox.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "platform/scene/Skinner.h"
#include "support/TestHumanoids.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace plimsa::skinned_test {

/// Loads a model file (with its VRM humanoid map, if any) into a new SkinnedCharacter; null when the file
/// is missing or does not load.
inline std::unique_ptr<SkinnedCharacter> load(const std::filesystem::path& file) {
    if (file.empty()) return nullptr;
    const GltfLoadResult loaded = GltfLoader().loadFile(file);
    if (!loaded) return nullptr;
    return std::make_unique<SkinnedCharacter>(*loaded.scene, loaded.humanoid ? &*loaded.humanoid : nullptr);
}

inline std::unique_ptr<SkinnedCharacter> humanoid(const std::string& name) {
    return load(TestHumanoids::path(name));
}

/// A test name for a humanoid's file name: "humanoid-mixamo-colon.glb" gives "mixamo_colon".
inline std::string rigName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param.substr(9, info.param.size() - 13);
    for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

inline glm::vec3 inRig(const SkinnedCharacter& character, const Node& node) {
    return character.root()->convertPositionFrom(node.worldPosition(), nullptr);
}

/// The box of every vertex as drawn (skinned meshes through their bones), in the rig frame.
inline BoundingBox drawnBounds(const SkinnedCharacter& character) {
    BoundingBox box;
    character.model()->enumerateChildNodes([&](Node& node, bool&) {
        if (node.geometry() == nullptr) return;
        const Geometry& geometry = *node.geometry();
        std::vector<glm::mat4> joints;
        if (node.skinner() != nullptr) node.skinner()->jointMatrices(joints);
        for (size_t i = 0; i < geometry.vertexCount(); ++i) {
            const glm::vec3 world = node.skinner() != nullptr
                                        ? node.skinner()->skinnedPosition(geometry, i, joints)
                                        : node.convertPosition(geometry.mesh().positions[i], nullptr);
            box.add(character.root()->convertPositionFrom(world, nullptr));
        }
    });
    return box;
}

}  // namespace plimsa::skinned_test
