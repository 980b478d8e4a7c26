#include "app/SwingSnapshot.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "app/DiagnosticText.h"
#include "app/SnapshotOutput.h"
#include "platform/render/SnapshotRenderer.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Material.h"
#include "platform/scene/Node.h"
#include "platform/scene/ViewProjector.h"
#include "swing/SwingScene.h"

namespace plimsa {

namespace {

constexpr int kSamples = 4;
constexpr double kRenderTime = 1.0;
constexpr int kLookFrames = 80;
constexpr double kLookFrameStep = 0.05;
// Held where an int holds it; the renderer refuses sides beyond its limit, so nothing is drawn then.
constexpr double kMaxPixels = 1 << 21;

void printGeometryLine(Node& node, std::FILE* out) {
    std::vector<std::string> sources;
    for (const GeometrySource& source : node.geometry()->geometrySources())
        sources.push_back(source.description());
    std::vector<std::string> materials;
    for (const auto& material : node.geometry()->materials())
        materials.push_back(material ? material->name() : "");
    std::fprintf(out, "geometry %s sources=%s skinner=%s materials=%s\n", node.name().c_str(),
                 DiagnosticText::list(sources).c_str(), node.skinner() ? "true" : "false",
                 DiagnosticText::list(materials).c_str());
}

/// Points the first character's head at the image point `look` (in points, half the pixels) and lets
/// the eased head settle over four simulated seconds.
void lookAt(SwingScene& scene, SnapshotRenderer& renderer, const SwingRequest& request, glm::ivec2 size) {
    // A first frame at time 0 settles the transforms the projection reads.
    (void)renderer.snapshot(*scene.scene(), *scene.cameraNode(), size.x, size.y, 1, 0.0);
    const ViewProjector projector(*scene.cameraNode(), glm::vec2(size));
    const float depth = projector.projectPoint(scene.characters().front()->headNode()->worldPosition()).z;
    const glm::vec3 u = projector.unprojectPoint(glm::vec3(static_cast<float>(2.0 * request.look->x),
                                                           static_cast<float>(2.0 * request.look->y), depth));
    scene.setLookTargetWorld((u + scene.cameraNode()->worldPosition()) / 2.0f);

    // The still pose of `run` (angle, leg override), held while only the time advances.
    for (int i = 0; i < kLookFrames; ++i) scene.debugPose(request.thetaDegrees, 1.0, i * kLookFrameStep);
}

}  // namespace

glm::ivec2 SwingSnapshot::imageSize(const SwingScene& scene) {
    const WindowSize size = scene.requiredSize(std::numbers::pi);
    const auto pixels = [](double points) {
        const double doubled = std::round(2.0 * points);
        return static_cast<int>(std::isfinite(doubled) ? std::clamp(doubled, -kMaxPixels, kMaxPixels) : 0.0);
    };
    return {pixels(size.width), pixels(size.height)};
}

void SwingSnapshot::printDiagnostics(SwingScene& scene, std::FILE* out) {
    std::fprintf(out, "min character size for chains: %s\n",
                 DiagnosticText::list(scene.minCharacterSizes()).c_str());
    const SwingCharacter& first = *scene.characters().front();
    std::fprintf(out, "head world position: %s\n",
                 DiagnosticText::vector(first.headNode()->worldPosition()).c_str());
    first.root()->enumerateHierarchy([&](Node& node, bool&) {
        if (node.geometry()) printGeometryLine(node, out);
    });
}

int SwingSnapshot::run(const SwingRequest& request, std::FILE* out, std::FILE* err) {
    auto scene = std::make_shared<SwingScene>();
    scene->setConfig(request.config);
    if (request.legOverride) scene->setLegOverride(request.legOverride);
    scene->setCharacters(request.characters);
    scene->settingsChanged();
    scene->debugPose(request.thetaDegrees, 1.0, 0.0);
    if (std::getenv("PLIMSA_DEBUG")) printDiagnostics(*scene, out);

    const glm::ivec2 size = imageSize(*scene);
    auto renderer = SnapshotOutput::makeRenderer(request.out, err);
    if (!renderer) return SnapshotOutput::kFailed;
    renderer->setDelegate(scene);
    if (request.look) lookAt(*scene, *renderer, request, size);
    const auto image =
        renderer->snapshot(*scene->scene(), *scene->cameraNode(), size.x, size.y, kSamples, kRenderTime);
    return SnapshotOutput::write(image, request.out, out, err);
}

}  // namespace plimsa
