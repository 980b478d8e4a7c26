// Renders every swing skin to a PNG for people to look at: a one-seat and a two-seat board on their ropes,
// lit like a swing scene (sky, key, fill and ambient at the default contrast), seen from the front and a
// little above, plus a close-up of each board. Usage: swing_gallery OUT_FOLDER [SAMPLES]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/image/Compose.h"
#include "platform/image/Png.h"
#include "platform/render/SnapshotRenderer.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "platform/scene/Stage.h"
#include "swing/SwingParts.h"

namespace plimsa {
namespace {

constexpr double kRopeLength = 1.3;
// The settings' default light contrast.
constexpr double kLightContrast = 0.4;

struct SkinShot {
    SwingSkin skin;
    const char* name;
};

/// A swing hanging from a bar at `anchor`: ropes, then the board at -ropeLength, as the swing scene builds
/// it.
void addSwing(Scene& scene, SwingSkin skin, double width, const std::vector<double>& xs, glm::vec3 anchor) {
    auto parts = Node::make("swingParts");
    parts->setPosition(anchor);
    const SeatBuild build = SwingParts::buildBoard(skin, width, xs, kRopeLength);
    for (const Rope& rope : build.ropes) parts->addChildNode(SwingParts::ropeNode(rope, skin));
    build.node->setPosition({0.0f, static_cast<float>(-kRopeLength), 0.0f});
    parts->addChildNode(build.node);
    scene.rootNode().addChildNode(parts);
}

std::shared_ptr<Scene> skinScene(SwingSkin skin) {
    auto scene = Scene::make();
    Stage::addLights(*scene, LightLevels::forContrast(kLightContrast));
    addSwing(*scene, skin, 1.0, {0.0}, {-1.45f, 0.0f, 0.0f});
    addSwing(*scene, skin, 2.0, {-0.5, 0.5}, {0.85f, 0.0f, 0.0f});
    return scene;
}

std::shared_ptr<Node> addCamera(Scene& scene, glm::vec3 position, glm::vec3 target, float fieldOfView) {
    return Stage::addCamera(scene, {.fieldOfView = fieldOfView, .zNear = 0.05f, .zFar = 50.0f}, position,
                            target);
}

bool shoot(SnapshotRenderer& renderer, const Scene& scene, const Node& camera, int width, int height,
           int samples, const std::string& path) {
    const auto image = renderer.snapshot(scene, camera, width, height, samples, 0.0);
    if (!image) return false;
    return Png::write(composeOverGrey(*image), path) == Png::WriteResult::written;
}

}  // namespace
}  // namespace plimsa

int main(int argc, char** argv) {
    using namespace plimsa;
    if (argc < 2) {
        std::fprintf(stderr, "usage: swing_gallery OUT_FOLDER [SAMPLES]\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const int samples = argc > 2 ? std::atoi(argv[2]) : 4;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::string reason;
    auto renderer = SnapshotRenderer::create(&reason);
    if (!renderer) {
        std::fprintf(stderr, "no OpenGL context: %s\n", reason.c_str());
        return 1;
    }
    const SkinShot shots[] = {{SwingSkin::classic, "classic"},
                              {SwingSkin::forest, "forest"},
                              {SwingSkin::ice, "ice"},
                              {SwingSkin::gold, "gold"},
                              {SwingSkin::rope, "rope"}};
    for (const SkinShot& shot : shots) {
        const auto start = std::chrono::steady_clock::now();
        auto scene = skinScene(shot.skin);
        auto wide = addCamera(*scene, {0.0f, 0.2f, 5.6f}, {0.0f, -0.85f, 0.0f}, 30.0f);
        auto close = addCamera(*scene, {-1.45f, -0.75f, 1.5f}, {-1.45f, -1.3f, 0.0f}, 40.0f);
        const std::string base = (folder / shot.name).string();
        if (!shoot(*renderer, *scene, *wide, 1200, 800, samples, base + ".png") ||
            !shoot(*renderer, *scene, *close, 1000, 700, samples, base + "_close.png")) {
            std::fprintf(stderr, "could not render or write %s\n", shot.name);
            return 1;
        }
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf("%s: %s.png and %s_close.png (%.0f ms)\n", shot.name, base.c_str(), base.c_str(), ms);
    }
    return 0;
}
