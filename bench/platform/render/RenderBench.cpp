// Frame times of the snapshot renderer on a scene of about 50k triangles, and the one-off costs of a
// context and of the sky. Run on llvmpipe when there is no GPU.

#include "ProcessCpu.h"
#include "platform/render/EglContext.h"
#include "platform/render/Sky.h"
#include "platform/render/SnapshotRenderer.h"
#include "platform/scene/Camera.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Light.h"
#include "platform/scene/Material.h"
#include "platform/scene/Node.h"
#include "platform/scene/Primitives.h"
#include "platform/scene/Scene.h"

#include <benchmark/benchmark.h>


namespace plimsa {
namespace {

using bench::processCpuMilliseconds;

struct BenchScene {
    std::shared_ptr<Scene> scene = Scene::make();
    std::shared_ptr<Node> camera = Node::make("camera");
    size_t triangles = 0;
};

// 12 spheres of 64 segments (4032 triangles each) and two boxes: about 48k triangles filling the view.
BenchScene makeScene(bool sky = true) {
    BenchScene result;
    if (sky) result.scene->setLightingEnvironment(SkyDescription{});
    result.scene->setLightingEnvironmentIntensity(0.4f);
    for (int i = 0; i < 12; ++i) {
        std::shared_ptr<Geometry> sphere = Primitives::sphere(0.42f, 64);
        sphere->setFirstMaterial(Material::make(glm::vec3(0.2f + 0.06f * i, 0.5f, 0.8f - 0.05f * i), 0.1f * (i % 8), i % 3 == 0 ? 1.0f : 0.0f));
        std::shared_ptr<Node> node = Node::make(sphere);
        node->setPosition({-0.9f + 0.9f * (i % 3), -1.6f + 0.95f * (i / 3), 0.0f});
        result.scene->rootNode().addChildNode(node);
        for (const GeometryElement& element : sphere->elements()) result.triangles += element.primitiveCount();
    }
    for (int i = 0; i < 2; ++i) {
        std::shared_ptr<Geometry> box = Primitives::box(2.6f, 0.3f, 0.8f, 0.08f);
        std::shared_ptr<Node> node = Node::make(box);
        node->setPosition({0.0f, i == 0 ? -2.2f : 2.2f, -0.5f});
        result.scene->rootNode().addChildNode(node);
        for (const GeometryElement& element : box->elements()) result.triangles += element.primitiveCount();
    }
    auto light = [&](LightType type, float intensity, glm::vec3 euler) {
        std::shared_ptr<Node> node = Node::make();
        node->setLight(Light::make(type, intensity));
        node->setEulerAngles(euler);
        result.scene->rootNode().addChildNode(node);
    };
    light(LightType::ambient, 440.0f, glm::vec3(0.0f));
    light(LightType::directional, 775.0f, {-0.75f, 0.55f, 0.0f});
    light(LightType::directional, 325.0f, {-0.3f, -0.9f, 0.0f});
    std::shared_ptr<Camera> camera = Camera::make();
    camera->fieldOfView = 24.0f;
    camera->zNear = 0.1f;
    result.camera->setCamera(camera);
    result.camera->setPosition({0.0f, 0.0f, 11.5f});
    result.scene->rootNode().addChildNode(result.camera);
    return result;
}

void frame(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const int samples = static_cast<int>(state.range(2));
    std::unique_ptr<SnapshotRenderer> renderer = SnapshotRenderer::create();
    if (!renderer) {
        state.SkipWithError("no EGL context");
        return;
    }
    BenchScene scene = makeScene(state.range(3) != 0);
    renderer->snapshot(*scene.scene, *scene.camera, width, height, samples, 0.0);  // uploads, sky
    double time = 0.0;
    const double cpuStart = processCpuMilliseconds();
    for (auto _ : state) {
        scene.scene->rootNode().childNodes()[0]->setEulerAngles({0.0f, static_cast<float>(time), 0.0f});
        benchmark::DoNotOptimize(renderer->snapshot(*scene.scene, *scene.camera, width, height, samples, time));
        time += 1.0 / 60.0;
    }
    state.counters["cpu_ms_all_threads"] = (processCpuMilliseconds() - cpuStart) / static_cast<double>(state.iterations());
    state.counters["triangles"] = static_cast<double>(scene.triangles);
}
BENCHMARK(frame)
    ->Args({840, 1000, 4, 1})
    ->Args({420, 500, 2, 1})
    ->Args({420, 500, 4, 1})
    ->Args({420, 500, 2, 0})
    ->Args({420, 500, 1, 1})
    ->Args({840, 1000, 1, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

// Clearing and resolving alone: the fixed cost of a frame of this size.
void emptyFrame(benchmark::State& state) {
    std::unique_ptr<SnapshotRenderer> renderer = SnapshotRenderer::create();
    if (!renderer) {
        state.SkipWithError("no EGL context");
        return;
    }
    std::shared_ptr<Scene> scene = Scene::make();
    std::shared_ptr<Node> camera = Node::make();
    scene->rootNode().addChildNode(camera);
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    renderer->snapshot(*scene, *camera, width, height, static_cast<int>(state.range(2)), 0.0);
    const double cpuStart = processCpuMilliseconds();
    for (auto _ : state)
        benchmark::DoNotOptimize(renderer->snapshot(*scene, *camera, width, height, static_cast<int>(state.range(2)), 0.0));
    state.counters["cpu_ms_all_threads"] = (processCpuMilliseconds() - cpuStart) / static_cast<double>(state.iterations());
}
BENCHMARK(emptyFrame)->Args({840, 1000, 4})->Args({420, 500, 2})->Unit(benchmark::kMillisecond)->UseRealTime();

// One sphere of 4k triangles covering about a tenth of the frame, as a swing covers part of its overlay.
void smallObjectFrame(benchmark::State& state) {
    std::unique_ptr<SnapshotRenderer> renderer = SnapshotRenderer::create();
    if (!renderer) {
        state.SkipWithError("no EGL context");
        return;
    }
    BenchScene scene = makeScene();
    const std::vector<std::shared_ptr<Node>> children = scene.scene->rootNode().childNodes();
    for (size_t i = 1; i < children.size(); ++i)
        if (children[i]->geometry()) children[i]->setHidden(true);
    children[0]->setPosition({0.0f, 0.0f, 0.0f});
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const int samples = static_cast<int>(state.range(2));
    renderer->snapshot(*scene.scene, *scene.camera, width, height, samples, 0.0);
    const double cpuStart = processCpuMilliseconds();
    for (auto _ : state)
        benchmark::DoNotOptimize(renderer->snapshot(*scene.scene, *scene.camera, width, height, samples, 0.0));
    state.counters["cpu_ms_all_threads"] = (processCpuMilliseconds() - cpuStart) / static_cast<double>(state.iterations());
}
BENCHMARK(smallObjectFrame)->Args({420, 500, 2})->Unit(benchmark::kMillisecond)->UseRealTime();

void contextCreation(benchmark::State& state) {
    for (auto _ : state) {
        std::unique_ptr<EglContext> context = EglContext::create();
        if (!context) {
            state.SkipWithError("no EGL context");
            return;
        }
    }
}
BENCHMARK(contextCreation)->Unit(benchmark::kMillisecond)->UseRealTime();

void skyCreation(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Sky(SkyParameters{}));
}
BENCHMARK(skyCreation)->Unit(benchmark::kMillisecond)->UseRealTime();

void snapshotRendererCreation(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(SnapshotRenderer::create());
}
BENCHMARK(snapshotRendererCreation)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace plimsa
