// Renders skinned characters in the three bodies they are posed in (seated with hands on two chains,
// standing, floor sit with a hand on the raised knee, seen as a right-hand corner sitter and from the
// front) side by side, and a close-up of the left hand on its chain, one PNG per model.
//
//   character_gallery OUTPUT_FOLDER [MODEL.glb ...]
//
// Without models it renders every generated test humanoid and the shared third-party models.

#include "character/SkinnedCharacter.h"
#include "platform/gltf/GltfLoader.h"
#include "platform/image/Png.h"
#include "platform/render/SnapshotRenderer.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Material.h"
#include "platform/scene/Node.h"
#include "platform/scene/Primitives.h"
#include "platform/scene/Scene.h"
#include "platform/scene/Stage.h"
#include "support/TestHumanoids.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace plimsa {
namespace {

constexpr int kPanelWidth = 400;
constexpr int kPanelHeight = 480;
constexpr float kBarHeight = 2.75f;  // the chains hang from here; the seat is 2.1 below

struct Shot {
    std::shared_ptr<Scene> scene = Scene::make();
    std::shared_ptr<Node> camera = Node::make("Camera");
    std::shared_ptr<Node> holder = Node::make("Holder");  // where the character's root goes
};

Shot makeShot(const glm::vec3& eye, const glm::vec3& target) {
    Shot shot;
    Stage::addLights(*shot.scene);
    shot.scene->setBackgroundColor({0.86f, 0.89f, 0.93f, 1.0f});
    Stage::addCamera(*shot.scene, {.fieldOfView = 34.0f, .zNear = 0.1f, .zFar = 50.0f}, eye, target,
                     shot.camera);
    shot.scene->rootNode().addChildNode(shot.holder);
    auto floor = Node::make(Primitives::box(3.0f, 0.02f, 2.0f, 0.0f), "Floor");
    floor->geometry()->setFirstMaterial(Material::make(glm::vec3(0.62f, 0.64f, 0.66f), 0.9f, 0.0f));
    floor->setPosition({0.0f, -0.01f, 0.0f});
    shot.scene->rootNode().addChildNode(floor);
    return shot;
}

// The seat assembly: a board and two chains at x = +-0.42 hanging from the bar, the frame the pose's
// chain positions are given in.
Shot swingShot() {
    Shot shot = makeShot({1.2f, 1.9f, 6.0f}, {0.0f, 1.45f, 0.0f});
    shot.holder->setPosition({0.0f, kBarHeight, 0.0f});
    auto steel = Material::make(glm::vec3(0.55f, 0.57f, 0.6f), 0.35f, 0.9f);
    for (float x : {-0.42f, 0.42f}) {
        auto chain = Node::make(Primitives::cylinder(0.012f, 2.1f, 12), "chain");
        chain->geometry()->setFirstMaterial(steel);
        chain->setPosition({x, -1.05f, 0.0f});
        shot.holder->addChildNode(chain);
    }
    auto board = Node::make(Primitives::box(1.05f, 0.05f, 0.32f, 0.015f), "Board");
    board->geometry()->setFirstMaterial(Material::make(glm::vec3(0.55f, 0.36f, 0.2f), 0.8f, 0.0f));
    board->setPosition({0.0f, -2.1f - 0.025f, 0.0f});
    shot.holder->addChildNode(board);
    return shot;
}

std::optional<Image> render(SnapshotRenderer& renderer, const Shot& shot) {
    return renderer.snapshot(*shot.scene, *shot.camera, kPanelWidth, kPanelHeight, 4, 0.0);
}

// Copies `panel` into `sheet` with its left edge at `left`.
void paste(Image& sheet, const Image& panel, int left) {
    for (int y = 0; y < panel.height && y < sheet.height; ++y) {
        std::memcpy(sheet.pixel(left, y), panel.pixel(0, y), static_cast<size_t>(panel.width) * 4);
    }
}

bool renderModel(SnapshotRenderer& renderer, const std::filesystem::path& model,
                 const std::filesystem::path& out) {
    const GltfLoadResult loaded = GltfLoader().loadFile(model);
    if (!loaded) {
        std::fprintf(stderr, "%s: %s\n", model.string().c_str(), loaded.error.c_str());
        return false;
    }
    SkinnedCharacter character(*loaded.scene, loaded.humanoid ? &*loaded.humanoid : nullptr);
    Image sheet(kPanelWidth * 5, kPanelHeight, true);

    Shot swing = swingShot();
    swing.holder->addChildNode(character.root());
    character.root()->setPosition({0.0f, -2.1f + 0.035f, 0.0f});
    CharacterPose seated;
    seated.leg = 0.25;
    character.apply(seated, *swing.holder);

    Shot standing = makeShot({0.9f, 1.5f, 6.2f}, {0.0f, 1.15f, 0.0f});
    CharacterPose stand;
    stand.standing = true;
    stand.handLeft = stand.handRight = HandMode::loose;

    // As a right-hand corner sitter is seen: turned to face into the screen, seen from the front.
    Shot floor = makeShot({0.0f, 1.0f, 6.0f}, {0.0f, 0.75f, 0.0f});
    CharacterPose sit;
    sit.floorSit = true;
    sit.foldedLeg = 1;
    sit.kneeHandSide = 1.0f;
    sit.handLeft = sit.handRight = HandMode::loose;

    const std::optional<Image> a = render(renderer, swing);
    std::optional<Image> e = a;
    if (!character.bones().arms.empty()) {
        // The left hand (the first arm) on its chain, seen from in front and a little outside.
        const glm::vec3 hand = character.bones().arms.front().hand->worldPosition();
        Shot closeUp = swing;
        closeUp.camera =
            Stage::addCamera(*closeUp.scene, {.fieldOfView = 22.0f, .zNear = 0.05f, .zFar = 50.0f},
                             hand + glm::vec3(0.5f, 0.15f, 1.4f), hand);
        e = render(renderer, closeUp);
    }
    standing.holder->addChildNode(character.root());
    character.root()->setPosition(glm::vec3(0.0f));
    character.apply(stand, *standing.holder);
    const std::optional<Image> b = render(renderer, standing);
    floor.holder->addChildNode(character.root());
    character.root()->setEulerAngles({0.0f, -1.5707964f, 0.0f});
    character.root()->setPosition({0.0f, 0.03f, 0.0f});
    character.apply(sit, *floor.holder);
    const std::optional<Image> c = render(renderer, floor);
    // The same floor sit from in front of the character, where the hand on the raised knee shows.
    character.root()->setEulerAngles({0.0f, -0.35f, 0.0f});
    character.apply(sit, *floor.holder);
    const std::optional<Image> d = render(renderer, floor);
    if (!a || !b || !c || !d || !e) {
        std::fprintf(stderr, "%s: rendering failed\n", model.string().c_str());
        return false;
    }
    paste(sheet, *a, 0);
    paste(sheet, *b, kPanelWidth);
    paste(sheet, *c, 2 * kPanelWidth);
    paste(sheet, *d, 3 * kPanelWidth);
    paste(sheet, *e, 4 * kPanelWidth);
    const std::filesystem::path file = out / (model.stem().string() + ".png");
    if (Png::write(sheet, file.string()) != Png::WriteResult::written) {
        std::fprintf(stderr, "%s: cannot write\n", file.string().c_str());
        return false;
    }
    std::printf("wrote %s\n", file.string().c_str());
    return true;
}

}  // namespace
}  // namespace plimsa

int main(int argc, char** argv) {
    using namespace plimsa;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER [MODEL.glb ...]\n", argv[0]);
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::error_code error;
    std::filesystem::create_directories(out, error);
    std::vector<std::filesystem::path> models(argv + 2, argv + argc);
    if (models.empty()) {
        for (const std::string& name : TestHumanoids::fileNames())
            models.push_back(TestHumanoids::path(name));
        for (const char* name : {"kaykit-mannequin-medium.glb", "khronos-cesiumman.glb"}) {
            if (auto path = TestHumanoids::sharedModel(name); !path.empty()) models.push_back(path);
        }
    }
    std::string why;
    const std::unique_ptr<SnapshotRenderer> renderer = SnapshotRenderer::create(&why);
    if (renderer == nullptr) {
        std::fprintf(stderr, "no offscreen renderer: %s\n", why.c_str());
        return 1;
    }
    int failures = 0;
    for (const std::filesystem::path& model : models) failures += renderModel(*renderer, model, out) ? 0 : 1;
    return failures == 0 ? 0 : 1;
}
