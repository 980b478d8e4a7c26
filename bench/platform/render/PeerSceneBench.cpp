// The WebGL peer's swing scene (../shared/peer-bench), built as the peer builds it: the KayKit mannequin
// standing on a board between two chains of 45 torus links, lit by an ambient and a directional light and
// the sky, seen with a 24-degree field of view that frames everything. Each frame nudges both upper arms,
// draws antialiased as the overlays are into a framebuffer and ends with a 1-pixel read.
//
// The model is third-party and never committed: PLIMSA_PEER_MODEL names it, else the peer's own copy
// beside this checkout is used.

#include "ProcessCpu.h"
#include "platform/gltf/GltfLoader.h"
#include "platform/image/Image.h"
#include "platform/image/Png.h"
#include "platform/render/DrawList.h"
#include "platform/render/EglContext.h"
#include "platform/render/GlObject.h"
#include "platform/render/SceneRenderer.h"
#include "platform/scene/Camera.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Light.h"
#include "platform/scene/Material.h"
#include "platform/scene/Node.h"
#include "platform/scene/Primitives.h"
#include "platform/scene/Scene.h"

#include <benchmark/benchmark.h>
#include <glm/gtc/quaternion.hpp>

#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace plimsa {
namespace {

using bench::processCpuMilliseconds;

std::filesystem::path modelPath() {
    if (const char* chosen = std::getenv("PLIMSA_PEER_MODEL")) return chosen;
    return std::filesystem::path(PLIMSA_SOURCE_DIR) / "../shared/models/kaykit-mannequin-medium.glb";
}

glm::vec3 hexColor(unsigned rgb) {
    return glm::vec3((rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff) / 255.0f;
}

struct PeerScene {
    std::shared_ptr<Scene> scene = Scene::make();
    std::shared_ptr<Node> camera = Node::make("camera");
    std::shared_ptr<Node> armLeft, armRight;
    glm::quat armLeftRest{1, 0, 0, 0}, armRightRest{1, 0, 0, 0};
    std::string error;
};

PeerScene makePeerScene(int width, int height) {
    PeerScene peer;
    GltfLoadResult loaded = GltfLoader().loadFile(modelPath());
    if (!loaded) {
        peer.error = "no model at " + modelPath().string() + " (set PLIMSA_PEER_MODEL): " + loaded.error;
        return peer;
    }
    Scene& scene = *peer.scene;
    scene.setLightingEnvironment(SkyDescription{});
    auto light = [&](LightType type, float intensity, glm::vec3 from) {
        std::shared_ptr<Node> node = Node::make();
        node->setLight(Light::make(type, intensity));
        node->setPosition(from);
        if (type == LightType::directional) node->lookAt(glm::vec3(0.0f));
        scene.rootNode().addChildNode(node);
    };
    light(LightType::ambient, 400.0f, glm::vec3(0.0f));
    light(LightType::directional, 1600.0f, {1.5f, 3.0f, 2.5f});

    std::shared_ptr<Node> character = Node::make("character");
    for (const std::shared_ptr<Node>& child : loaded.scene->rootNode().childNodes())
        character->addChildNode(child);
    scene.rootNode().addChildNode(character);
    peer.armLeft = character->childNodeWithName("upperarm.l");
    peer.armRight = character->childNodeWithName("upperarm.r");
    if (!peer.armLeft || !peer.armRight) {
        peer.error = "the model has no upperarm.l and upperarm.r";
        return peer;
    }
    peer.armLeftRest = peer.armLeft->orientation();
    peer.armRightRest = peer.armRight->orientation();

    std::shared_ptr<Geometry> board = Primitives::box(1.0f, 0.06f, 0.36f, 0.0f);
    board->setFirstMaterial(Material::make(hexColor(0x8a5a2b), 0.8f, 0.0f));
    std::shared_ptr<Node> boardNode = Node::make(board);
    boardNode->setPosition({0.0f, -0.03f, 0.0f});
    scene.rootNode().addChildNode(boardNode);
    // The peer's torus rings lie in the X-Y plane; ours lie in X-Z, so each is first stood up about X.
    std::shared_ptr<Geometry> link = Primitives::torus(0.026f, 0.007f, 24, 10);
    link->setFirstMaterial(Material::make(hexColor(0x9aa0a8), 0.35f, 0.9f));
    constexpr int kLinks = 45;
    const float top = 0.0f, bottom = -2.2f, step = (top - bottom) / (kLinks - 1);
    const glm::mat4 standUp = glm::mat4_cast(glm::angleAxis(glm::half_pi<float>(), glm::vec3(1, 0, 0)));
    for (float x : {-0.42f, 0.42f}) {
        for (int i = 0; i < kLinks; ++i) {
            std::shared_ptr<Node> node = Node::make(link);
            const glm::quat turn =
                glm::quat(glm::vec3(0.0f, (i % 2) * glm::half_pi<float>(), glm::half_pi<float>()));
            node->setTransform(glm::translate(glm::mat4(1.0f), glm::vec3(x, top - i * step, 0.0f)) *
                               glm::mat4_cast(turn) * standUp);
            scene.rootNode().addChildNode(node);
        }
    }

    // Frames the whole scene as the peer does.
    const BoundingBox box = DrawList::gather(scene, glm::mat4(1.0f)).worldBounds;
    const glm::vec3 centre = box.center(), size = box.max - box.min;
    const float halfV = glm::radians(24.0f) / 2.0f;
    const float halfH = std::atan(std::tan(halfV) * (static_cast<float>(width) / static_cast<float>(height)));
    const float distance =
        1.08f * std::max((size.y / 2.0f) / std::tan(halfV), (size.x / 2.0f) / std::tan(halfH)) +
        size.z / 2.0f;
    std::shared_ptr<Camera> camera = Camera::make();
    camera->fieldOfView = 24.0f;
    camera->zNear = 0.1f;
    camera->zFar = 100.0f;
    peer.camera->setCamera(camera);
    peer.camera->setPosition(centre + glm::vec3(0.0f, 0.3f, distance));
    scene.rootNode().addChildNode(peer.camera);
    peer.camera->lookAt(centre);
    return peer;
}

// A colour framebuffer of the frame's size, as a window's back buffer would be.
struct OffscreenTarget {
    GlFramebuffer framebuffer = GlFramebuffer::generate();
    GlRenderbuffer color = GlRenderbuffer::generate();

    OffscreenTarget(int width, int height) {
        glBindRenderbuffer(GL_RENDERBUFFER, color.id());
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer.id());
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color.id());
    }
};

void peerScene(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    std::unique_ptr<EglContext> context = EglContext::create();
    if (!context || !context->makeCurrent()) {
        state.SkipWithError("no EGL context");
        return;
    }
    {
        PeerScene peer = makePeerScene(width, height);
        if (!peer.error.empty()) {
            state.SkipWithError(peer.error.c_str());
            return;
        }
        SceneRenderer renderer;
        OffscreenTarget target(width, height);
        const RenderTarget into{target.framebuffer.id(), width, height, false};
        const Antialiasing antialiasing = state.range(2) < 0
                                              ? SceneRenderer::overlayAntialiasing()
                                              : Antialiasing{static_cast<int>(state.range(2)), false};
        int frame = 0;
        unsigned char pixel[4];
        auto drawOne = [&] {
            ++frame;
            const float angle = 0.15f * std::sin(static_cast<float>(frame) * 0.07f);
            peer.armLeft->setOrientation(peer.armLeftRest * glm::angleAxis(angle, glm::vec3(0, 0, 1)));
            peer.armRight->setOrientation(peer.armRightRest * glm::angleAxis(-angle, glm::vec3(0, 0, 1)));
            renderer.render(*peer.scene, *peer.camera, into, antialiasing);
            glBindFramebuffer(GL_READ_FRAMEBUFFER, target.framebuffer.id());
            glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        };
        for (int i = 0; i < 20; ++i) drawOne();
        // PLIMSA_PEER_FRAMES=FOLDER keeps one frame of each case, to compare the edges by eye.
        if (const char* folder = std::getenv("PLIMSA_PEER_FRAMES")) {
            Image image(width, height, true);
            renderer.render(*peer.scene, *peer.camera, {into.framebuffer, width, height, true}, antialiasing);
            glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels.data());
            Png::write(image, std::string(folder) + "/peer-" + std::to_string(width) + "x" +
                                  std::to_string(height) + "-" + std::to_string(state.range(2)) + ".png");
        }
        const double cpuStart = processCpuMilliseconds();
        for (auto _ : state) {
            drawOne();
            benchmark::DoNotOptimize(pixel);
        }
        state.counters["cpu_ms_all_threads"] =
            (processCpuMilliseconds() - cpuStart) / static_cast<double>(state.iterations());
        state.counters["samples"] = antialiasing.samples;
        state.counters["edge_filter"] = antialiasing.smoothEdges ? 1 : 0;
    }
    context->release();
}
// Width, height, samples (-1: as the overlays choose for this GL renderer).
BENCHMARK(peerScene)
    ->Args({420, 500, -1})
    ->Args({840, 1000, -1})
    ->Args({420, 500, 1})
    ->Args({420, 500, 2})
    ->Args({420, 500, 4})
    ->Args({840, 1000, 1})
    ->Args({840, 1000, 4})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

}  // namespace
}  // namespace plimsa
