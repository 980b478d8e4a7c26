// Renders one of each primitive shape in a few materials under the sky light, as the snapshot mode
// would show it (over grey), and writes a PNG. With --model, renders a glTF model instead, framed from
// the front under the same lights.
//
//   scene_demo OUT.png [WIDTH HEIGHT [SAMPLES]] [--transparent] [--model FILE.glb]

#include "platform/gltf/GltfLoader.h"
#include "platform/image/Canvas.h"
#include "platform/image/Compose.h"
#include "platform/image/Png.h"
#include "platform/render/SnapshotRenderer.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Material.h"
#include "platform/scene/Node.h"
#include "platform/scene/Primitives.h"
#include "platform/scene/Scene.h"
#include "platform/scene/Skinner.h"
#include "platform/scene/Stage.h"
#include "platform/scene/Texture.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace plimsa;

namespace {

std::shared_ptr<Texture> checkerTexture() {
    Canvas canvas(64, 64);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool light = (x + y) % 2 == 0;
            canvas.fillRect(x * 8, y * 8, 8, 8,
                            light ? Canvas::Color{0.92, 0.9, 0.84, 1} : Canvas::Color{0.25, 0.45, 0.7, 1});
        }
    return Texture::make(canvas.toImage(), "checker");
}

void place(Scene& scene, std::shared_ptr<Geometry> geometry, std::shared_ptr<Material> material, glm::vec3 at,
           glm::vec3 euler = glm::vec3(0.0f)) {
    geometry->setFirstMaterial(std::move(material));
    std::shared_ptr<Node> node = Node::make(std::move(geometry));
    node->setPosition(at);
    node->setEulerAngles(euler);
    scene.rootNode().addChildNode(node);
}

// A little more contrast than the swings' default, so the shapes read well.
constexpr double kLightContrast = 0.5;

void addLights(Scene& scene) {
    Stage::addLights(scene, LightLevels::forContrast(kLightContrast));
}

std::shared_ptr<Node> addCamera(Scene& scene, glm::vec3 position, glm::vec3 target, float fieldOfView) {
    return Stage::addCamera(scene, {.fieldOfView = fieldOfView, .zNear = 0.05f, .zFar = 200.0f}, position,
                            target);
}

// The model's scene, lit, with a camera in front of it that frames its (posed) bounds.
std::shared_ptr<Scene> modelScene(const char* path, std::shared_ptr<Node>& cameraNode) {
    GltfLoadResult loaded = GltfLoader().loadFile(path);
    if (!loaded) {
        std::fprintf(stderr, "could not load %s: %s\n", path, loaded.error.c_str());
        return nullptr;
    }
    BoundingBox bounds;
    loaded.scene->rootNode().enumerateHierarchy([&](Node& node, bool&) {
        if (!node.geometry()) return;
        if (node.skinner())
            bounds.add(node.skinner()->worldBoundingBox(*node.geometry()));
        else
            bounds.add(node.geometry()->boundingBox().transformed(node.worldTransform()));
    });
    if (bounds.isEmpty()) bounds.add(glm::vec3(0.0f));
    addLights(*loaded.scene);
    const glm::vec3 size = bounds.size();
    const float distance = std::max(size.y, size.x) * 2.1f + size.z;
    cameraNode = addCamera(*loaded.scene, bounds.center() + glm::vec3(0.0f, size.y * 0.1f, distance),
                           bounds.center(), 30.0f);
    return loaded.scene;
}

std::shared_ptr<Scene> demoScene(std::shared_ptr<Node>& cameraNode) {
    std::shared_ptr<Scene> scene = Scene::make();
    std::shared_ptr<Material> floor = Material::make(glm::vec3(0.8f, 0.8f, 0.78f), 0.9f, 0.0f);
    floor->setDiffuseImage(checkerTexture());
    floor->setDiffuseContentsTransform(glm::scale(glm::mat4(1.0f), glm::vec3(4.0f, 3.0f, 1.0f)));
    floor->setDiffuseWrap(WrapMode::repeat, WrapMode::repeat);
    place(*scene, Primitives::plane(6.0f, 4.5f), floor, {0.0f, -0.5f, -0.4f}, {-1.5708f, 0.0f, 0.0f});

    place(*scene, Primitives::box(0.8f, 0.8f, 0.8f, 0.12f),
          Material::make(glm::vec3(0.85f, 0.25f, 0.2f), 0.5f, 0.0f), {-1.6f, -0.1f, 0.0f},
          {0.0f, 0.6f, 0.0f});
    place(*scene, Primitives::cylinder(0.35f, 0.9f),
          Material::make(glm::vec3(1.0f, 0.78f, 0.34f), 0.25f, 1.0f), {-0.55f, -0.05f, 0.1f});
    place(*scene, Primitives::cone(0.0f, 0.45f, 0.9f),
          Material::make(glm::vec3(0.3f, 0.65f, 0.35f), 0.7f, 0.0f), {0.5f, -0.05f, 0.1f});
    place(*scene, Primitives::sphere(0.45f), Material::make(glm::vec3(0.9f, 0.9f, 0.92f), 0.12f, 1.0f),
          {1.6f, -0.05f, 0.0f});
    place(*scene, Primitives::torus(0.42f, 0.14f), Material::make(glm::vec3(0.35f, 0.4f, 0.85f), 0.35f, 0.0f),
          {-1.0f, 0.95f, -0.3f}, {1.1f, 0.0f, 0.0f});
    std::shared_ptr<Material> glass = Material::make(glm::vec3(0.78f, 0.9f, 1.0f), 0.12f, 0.0f);
    glass->setTransparency(0.55f);
    place(*scene, Primitives::sphere(0.38f), glass, {0.2f, 0.95f, 0.3f});
    place(*scene, Primitives::box(0.7f, 0.7f, 0.7f, 0.0f),
          Material::make(glm::vec3(0.72f, 0.72f, 0.7f), 0.6f, 0.0f), {1.3f, 1.0f, -0.4f}, {0.4f, 0.7f, 0.0f});

    addLights(*scene);
    cameraNode = addCamera(*scene, {0.0f, 1.9f, 6.0f}, {0.0f, 0.25f, 0.0f}, 32.0f);
    return scene;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: scene_demo OUT.png [WIDTH HEIGHT [SAMPLES]] [--transparent]\n");
        return 2;
    }
    bool transparent = false;
    const char* model = nullptr;
    int numbers[3] = {840, 560, 4}, count = 0;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--transparent") == 0)
            transparent = true;
        else if (std::strcmp(argv[i], "--model") == 0 && i + 1 < argc)
            model = argv[++i];
        else if (count < 3)
            numbers[count++] = std::atoi(argv[i]);
    }
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    std::unique_ptr<SnapshotRenderer> renderer = SnapshotRenderer::create(&error);
    if (!renderer) {
        std::fprintf(stderr, "no OpenGL context: %s\n", error.c_str());
        return 1;
    }
    std::shared_ptr<Node> cameraNode;
    std::shared_ptr<Scene> scene = model ? modelScene(model, cameraNode) : demoScene(cameraNode);
    if (!scene) return 1;
    std::optional<Image> image =
        renderer->snapshot(*scene, *cameraNode, numbers[0], numbers[1], numbers[2], 1.0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!image) {
        std::fprintf(stderr, "rendering failed\n");
        return 1;
    }
    const Image out = transparent ? *image : composeOverGrey(*image);
    if (Png::write(out, argv[1]) != Png::WriteResult::written) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    std::printf("wrote %s (%dx%d, %d samples, %.0f ms including context and sky)\n", argv[1], numbers[0],
                numbers[1], numbers[2], seconds * 1000.0);
    return 0;
}
