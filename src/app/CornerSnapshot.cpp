#include "app/CornerSnapshot.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "app/DiagnosticText.h"
#include "app/SnapshotOutput.h"
#include "corner/CornerScene.h"
#include "platform/render/SnapshotRenderer.h"
#include "platform/scene/Node.h"
#include "platform/scene/ViewProjector.h"

namespace plimsa {

namespace {

constexpr int kSamples = 4;
constexpr double kRenderTime = 1.0;
constexpr double kPointsPerUnit = 120.0;
constexpr double kMaxPoints = 1 << 20;

/// The lowest world position of a node without geometry (a bone) under `root`; y starts at 99.
glm::vec3 lowestBone(Node& root) {
    glm::vec3 lowest(0.0f, 99.0f, 0.0f);
    root.enumerateChildNodes([&](Node& node, bool&) {
        if (node.geometry()) return;
        const glm::vec3 position = node.worldPosition();
        if (position.y < lowest.y) lowest = position;
    });
    return lowest;
}

}  // namespace

glm::ivec2 CornerSnapshot::imageSize(double size) {
    // Held where an int holds it; the renderer refuses sides beyond its limit, so nothing is drawn then.
    const auto side = [&](double units) {
        const double points = std::round(kPointsPerUnit * size * units);
        return 2 *
               static_cast<int>(std::isfinite(points) ? std::clamp(points, -kMaxPoints, kMaxPoints) : 0.0);
    };
    return {side(CornerScene::widthUnits()), side(CornerScene::heightUnits())};
}

void CornerSnapshot::printDiagnostics(const CornerScene& scene, glm::ivec2 size, std::FILE* out) {
    using DiagnosticText::vector;
    Node& root = *scene.character().root();
    const glm::vec3 rootWorld = root.worldPosition();
    const glm::vec3 head = scene.character().headNode()->worldPosition();
    const ViewProjector projector(*scene.cameraNode(), glm::vec2(size));
    std::fprintf(out, "root world %s head %s\n", vector(rootWorld).c_str(), vector(head).c_str());
    std::fprintf(out, "proj root %s proj head %s px %dx%d\n",
                 vector(projector.projectPoint(rootWorld)).c_str(),
                 vector(projector.projectPoint(head)).c_str(), size.x, size.y);
    const glm::vec3 lowest = lowestBone(root);
    std::fprintf(out, "lowest bone %s proj %s\n", vector(lowest).c_str(),
                 vector(projector.projectPoint(lowest)).c_str());
}

int CornerSnapshot::run(const CornerRequest& request, std::FILE* out, std::FILE* err) {
    CornerConfig config;
    config.character = request.model;
    config.side = request.side;
    auto scene = std::make_shared<CornerScene>();
    scene->apply(config);
    scene->updateAtTime(0.0);

    const glm::ivec2 size = imageSize(config.size);
    if (std::getenv("PLIMSA_DEBUG")) printDiagnostics(*scene, size, out);

    auto renderer = SnapshotOutput::makeRenderer(request.out, err);
    if (!renderer) return SnapshotOutput::kFailed;
    renderer->setDelegate(scene);
    const auto image =
        renderer->snapshot(*scene->scene(), *scene->cameraNode(), size.x, size.y, kSamples, kRenderTime);
    return SnapshotOutput::write(image, request.out, out, err);
}

}  // namespace plimsa
