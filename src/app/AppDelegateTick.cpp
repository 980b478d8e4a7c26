#include <algorithm>
#include <cmath>

#include "app/AppDelegate.h"
#include "platform/desktop/Desktop.h"
#include "platform/desktop/OverlayWindow.h"
#include "platform/desktop/Screens.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "platform/scene/ViewProjector.h"

namespace plimsa {

namespace {

constexpr const char* kGrabName = "grab";

bool namesCharacter(const SwingConfig& config) {
    return std::any_of(config.characters.begin(), config.characters.end(),
                       [](const std::string& name) { return !name.empty(); });
}

void hide(OverlayWindow& window) {
    if (window.isVisible()) window.orderOut();
    if (window.isPlaying()) window.setPlaying(false);
}

// Moves only when the rounded origin changed, then shows and plays.
template <typename Instance>
void placeAndShow(Instance& instance, DesktopPoint origin) {
    OverlayWindow& window = instance.window();
    if (instance.lastOrigin() != origin) {
        window.setFrameOrigin(origin);
        instance.setLastOrigin(origin);
    }
    if (!window.isVisible()) window.orderFront();
    if (!window.isPlaying()) window.setPlaying(true);
}

glm::vec2 viewSize(const DesktopRect& frame) {
    return {static_cast<float>(frame.width), static_cast<float>(frame.height)};
}

// The point halfway between the camera and the cursor's point at the depth of `depth`.
glm::vec3 lookTarget(const ViewProjector& view, glm::vec2 point, float depth, const Node& camera) {
    const glm::vec3 cursor = view.unprojectPoint({point.x, point.y, depth});
    return (cursor + camera.worldPosition()) * 0.5f;
}

// Catches the mouse only while it is over a node named "grab"; writes the flag only when it changes.
void catchMouse(OverlayWindow& window, const ViewProjector& view, const Scene& scene, glm::vec2 point,
                DesktopPoint mouse) {
    bool overGrab = false;
    if (window.frame().contains(mouse)) {
        const auto hits = view.hitTest(scene.rootNode(), point, HitTestOptions{.boundingBoxOnly = true});
        overGrab = std::any_of(hits.begin(), hits.end(), [](const HitTestResult& hit) {
            return hit.node && hit.node->name() == kGrabName;
        });
    }
    if (window.ignoresMouseEvents() == overGrab) window.setIgnoresMouseEvents(!overGrab);
}

}  // namespace

void AppDelegate::tick() {
    const DesktopPoint mouse = desktop_.mouseLocation();
    tickCorners(mouse);
    const auto front = tracker_.frontmostWindow();
    const auto screen = desktop_.screens().mainScreenVisibleFrame();
    for (const auto& instance : instances_) tickSwing(*instance, screen, front, mouse);
}

void AppDelegate::tickSwing(SwingInstance& instance, const std::optional<DesktopRect>& screen,
                            const std::optional<TrackedWindow>& front, DesktopPoint mouse) {
    const SwingConfig& config = instance.config();
    std::optional<DesktopRect> rect;
    if (screen && config.attach == SwingAttach::screen)
        rect = screen;
    else if (front)
        rect = front->frame;
    if (!namesCharacter(config) || !rect) {
        hide(instance.window());
        return;
    }
    instance.fitWindow();
    const DesktopRect frame = instance.window().frame();
    double cx = rect->minX() + rect->width * config.anchorFraction;
    cx = std::min(cx, rect->maxX() - kEdgeMargin);
    cx = std::max(cx, rect->minX() + kEdgeMargin);
    placeAndShow(instance, {std::round(cx - frame.width / 2.0), std::round(rect->maxY() - frame.height)});
    updateMouse(instance, mouse);
}

void AppDelegate::tickCorners(DesktopPoint mouse) {
    const auto screen = desktop_.screens().mainScreenVisibleFrame();
    if (!screen) return;
    for (const auto& corner : corners_) {
        OverlayWindow& window = corner->window();
        if (corner->config().character.empty()) {
            hide(window);
            continue;
        }
        const DesktopRect frame = window.frame();
        const double x =
            corner->config().side == CornerSide::right ? screen->maxX() - frame.width : screen->minX();
        placeAndShow(*corner, {std::round(x), std::round(screen->minY())});

        CornerScene& scene = corner->scene();
        const DesktopRect placed = window.frame();
        const ViewProjector view(*scene.cameraNode(), viewSize(placed));
        const glm::vec2 point(mouse - DesktopPoint(placed.x, placed.y));
        const float depth =
            view.projectPoint(scene.character().headNode()->presentationNode().worldPosition()).z;
        scene.setLookTargetWorld(lookTarget(view, point, depth, *scene.cameraNode()));
        catchMouse(window, view, *scene.scene(), point, mouse);
    }
}

void AppDelegate::updateMouse(SwingInstance& instance, DesktopPoint mouse) {
    SwingScene& scene = instance.scene();
    OverlayWindow& window = instance.window();
    const DesktopRect frame = window.frame();
    const ViewProjector view(*scene.cameraNode(), viewSize(frame));
    const glm::dvec2 local = mouse - DesktopPoint(frame.x, frame.y);
    const glm::vec2 point(local);
    const Node& head = scene.characters().front()->headNode()->presentationNode();
    const glm::vec3 headPoint = view.projectPoint(head.worldPosition());
    // A window is never empty in practice; an empty one must not divide by zero.
    const double width = frame.width > 0.0 ? frame.width : 1.0;
    const double height = frame.height > 0.0 ? frame.height : 1.0;
    scene.setCursorOffset(glm::dvec2((local.x - headPoint.x) / width, (local.y - headPoint.y) / height));
    scene.setLookTargetWorld(lookTarget(view, point, headPoint.z, *scene.cameraNode()));
    catchMouse(window, view, *scene.scene(), point, mouse);
}

}  // namespace plimsa
