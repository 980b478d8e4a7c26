// Per-frame scene-graph work for one posed character: a 65-bone skeleton under a swing's node chain.

#include "platform/scene/Camera.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Primitives.h"
#include "platform/scene/Skinner.h"
#include "platform/scene/ViewProjector.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace plimsa {
namespace {

struct Rig {
    std::shared_ptr<Node> root = Node::make("root");
    std::shared_ptr<Node> pivot = Node::make("pivot");
    std::vector<std::shared_ptr<Node>> bones;
    std::shared_ptr<Node> mesh;
    std::shared_ptr<Skinner> skinner;

    // Hips, a spine of 5, a head chain of 3, two arms of 4 with six 3-bone fingers, two legs of 4, padded
    // to 65.
    Rig() {
        auto anchor = Node::make();
        root->addChildNode(anchor);
        anchor->addChildNode(pivot);
        auto hips = addBone(pivot, {0, -1.2f, 0});
        auto chest = chain(hips, 5, {0, 0.12f, 0});
        chain(chest, 3, {0, 0.1f, 0});
        for (const float side : {-1.0f, 1.0f}) {
            auto hand = chain(chest, 4, {0.15f * side, 0, 0});
            for (int finger = 0; finger < 6; ++finger) {
                chain(hand, 3, {0.02f * side, 0, 0.01f * static_cast<float>(finger)});
            }
            chain(hips, 4, {0.1f * side, -0.2f, 0});
        }
        while (bones.size() < 65) {
            addBone(hips, {0, 0.01f, 0});
        }
        MeshData data = Primitives::sphere(1.0f, 96)->mesh();
        data.joints.resize(data.vertexCount());
        data.weights.resize(data.vertexCount());
        for (size_t i = 0; i < data.vertexCount(); ++i) {
            const auto j = static_cast<uint16_t>(i % bones.size());
            data.joints[i] = {j, static_cast<uint16_t>((j + 1) % bones.size()), 0, 0};
            data.weights[i] = {0.7f, 0.3f, 0, 0};
        }
        mesh = Node::make(Geometry::make(data), "grab");
        root->addChildNode(mesh);
        std::vector<glm::mat4> inverseBind;
        for (const auto& bone : bones) {
            inverseBind.push_back(glm::inverse(bone->worldTransform()));
        }
        skinner = Skinner::make(bones, inverseBind, hips);
        mesh->setSkinner(skinner);
    }

    std::shared_ptr<Node> addBone(const std::shared_ptr<Node>& parent, const glm::vec3& offset) {
        auto bone = Node::make("bone" + std::to_string(bones.size()));
        bone->setPosition(offset);
        parent->addChildNode(bone);
        bones.push_back(bone);
        return bone;
    }

    std::shared_ptr<Node> chain(std::shared_ptr<Node> parent, int length, const glm::vec3& step) {
        for (int i = 0; i < length; ++i) {
            parent = addBone(parent, step);
        }
        return parent;
    }

    // What a frame of posing does: swing the pivot, turn every bone, read positions back.
    void pose(float t) {
        pivot->setEulerAngles({0.4f * std::sin(t), 0, 0});
        for (size_t i = 0; i < bones.size(); ++i) {
            bones[i]->setOrientation(
                glm::angleAxis(0.1f * std::sin(t + static_cast<float>(i)), glm::vec3(1, 0, 0)));
        }
    }
};

void BM_PoseAndJointMatrices(benchmark::State& state) {
    Rig rig;
    std::vector<glm::mat4> joints;
    float t = 0;
    for (auto _ : state) {
        rig.pose(t += 0.016f);
        rig.skinner->jointMatrices(joints);
        benchmark::DoNotOptimize(joints.data());
    }
}
BENCHMARK(BM_PoseAndJointMatrices);

void BM_JointMatricesUnchanged(benchmark::State& state) {
    Rig rig;
    std::vector<glm::mat4> joints;
    rig.skinner->jointMatrices(joints);
    for (auto _ : state) {
        rig.skinner->jointMatrices(joints);
        benchmark::DoNotOptimize(joints.data());
    }
}
BENCHMARK(BM_JointMatricesUnchanged);

// The solver pattern: set a bone, read a world orientation, set the next.
void BM_InterleavedSetAndRead(benchmark::State& state) {
    Rig rig;
    float t = 0;
    for (auto _ : state) {
        t += 0.016f;
        rig.pivot->setEulerAngles({0.4f * std::sin(t), 0, 0});
        for (const auto& bone : rig.bones) {
            bone->setOrientation(glm::angleAxis(0.05f * std::sin(t), glm::vec3(0, 0, 1)));
            benchmark::DoNotOptimize(bone->worldOrientation());
        }
    }
}
BENCHMARK(BM_InterleavedSetAndRead);

void BM_HitTestPosedCharacter(benchmark::State& state) {
    const HitTestOptions options{.boundingBoxOnly = state.range(0) != 0};
    Rig rig;
    auto cameraNode = Node::make();
    cameraNode->setCamera(Camera::make());
    cameraNode->setPosition({0, -1, 8});
    rig.root->addChildNode(cameraNode);
    const ViewProjector projector(*cameraNode, {420, 500});
    float t = 0;
    for (auto _ : state) {
        rig.pose(t += 0.016f);
        benchmark::DoNotOptimize(projector.hitTest(*rig.root, {210, 250}, options));
    }
    state.SetLabel(options.boundingBoxOnly ? "bounding box" : "triangles, 4753 skinned vertices");
}
BENCHMARK(BM_HitTestPosedCharacter)->Arg(1)->Arg(0);

}  // namespace
}  // namespace plimsa
