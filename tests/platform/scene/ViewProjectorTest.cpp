#include "platform/scene/Camera.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Primitives.h"
#include "platform/scene/Skinner.h"
#include "platform/scene/ViewProjector.h"

#include "support/Near.h"

#include <glm/gtc/constants.hpp>

namespace plimsa {
namespace {

using testing::near;

struct View {
    std::shared_ptr<Node> root = Node::make("root");
    std::shared_ptr<Node> cameraNode = Node::make("camera");
    std::shared_ptr<Camera> camera = Camera::make();
    View() {
        camera->fieldOfView = 24.0f;
        camera->zNear = 0.1f;
        camera->zFar = 100.0f;
        cameraNode->setCamera(camera);
        cameraNode->setPosition({0, 0, 10});
        root->addChildNode(cameraNode);
    }
    std::shared_ptr<Node> add(const glm::vec3& position, const std::string& name) {
        auto node = Node::make(Primitives::box(1, 1, 1, 0.1f), name);
        node->setPosition(position);
        root->addChildNode(node);
        return node;
    }
};

TEST(ViewProjector, ProjectAndUnprojectAreInversesAndDegenerateViewsStayFinite) {
    View view;
    view.cameraNode->setEulerAngles({-0.2f, 0.3f, 0});
    for (const bool orthographic : {false, true}) {
        view.camera->usesOrthographicProjection = orthographic;
        const ViewProjector projector(*view.cameraNode, {420, 500});
        for (const glm::vec3 p : {glm::vec3(210, 250, 0.5f), glm::vec3(0, 0, 0.01f),
                                  glm::vec3(419, 13, 0.999f), glm::vec3(-50, 600, 0.3f)}) {
            EXPECT_TRUE(near(projector.projectPoint(projector.unprojectPoint(p)), p, 1e-2f)) << orthographic;
        }
        const glm::vec3 world(0.3f, -1.2f, 2.0f);
        EXPECT_TRUE(near(projector.unprojectPoint(projector.projectPoint(world)), world, 1e-3f));
    }
    // Degenerate views stay finite.
    view.camera->usesOrthographicProjection = false;
    view.camera->zNear = 0;
    view.camera->zFar = -1;
    view.camera->fieldOfView = 0;
    const ViewProjector degenerate(*view.cameraNode, {0, -5});
    const glm::vec3 p = degenerate.projectPoint({0, 0, 0});
    EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
    const glm::vec3 back = degenerate.unprojectPoint({0.5f, 0.5f, 0.5f});
    EXPECT_TRUE(std::isfinite(back.x) && std::isfinite(back.y) && std::isfinite(back.z));
    auto bare = Node::make();  // no camera: a default one
    bare->setPosition({0, 0, 5});
    EXPECT_TRUE(near(ViewProjector(*bare, {100, 100}).projectPoint({0, 0, 0}),
                     {50, 50, ViewProjector(*bare, {100, 100}).projectPoint({0, 0, 0}).z}));
}

TEST(ViewProjector, OriginIsBottomLeftDepthRunsNearToFarAndOrthographicScaleIsHalfTheHeight) {
    View view;
    const ViewProjector projector(*view.cameraNode, {400, 300});
    EXPECT_TRUE(near(projector.projectPoint({0, 0, 0}), {200, 150, projector.projectPoint({0, 0, 0}).z}));
    // The top of the vertical field of view at distance 10 lands on the top edge.
    const float top = 10.0f * std::tan(glm::radians(12.0f));
    EXPECT_NEAR(projector.projectPoint({0, top, 0}).y, 300.0f, 1e-2f);
    EXPECT_GT(projector.projectPoint({1, 0, 0}).x, 200.0f);
    EXPECT_NEAR(projector.projectPoint({0, 0, 10 - 0.1f}).z, 0.0f, 1e-4f);
    EXPECT_NEAR(projector.projectPoint({0, 0, 10 - 100.0f}).z, 1.0f, 1e-4f);
    EXPECT_LT(projector.projectPoint({0, 0, 5}).z, projector.projectPoint({0, 0, -5}).z);
    // Orthographic: the scale is half the visible height.
    view.camera->usesOrthographicProjection = true;
    view.camera->orthographicScale = 2.5f;
    view.cameraNode->setPosition({0, 2.5f, 6});
    const ViewProjector ortho(*view.cameraNode, {200, 400});
    EXPECT_NEAR(ortho.projectPoint({0, 0, 0}).y, 0.0f, 1e-3f);  // the floor at the bottom edge
    EXPECT_NEAR(ortho.projectPoint({0, 5, 0}).y, 400.0f, 1e-3f);
    EXPECT_NEAR(ortho.projectPoint({1.25f, 0, 0}).x, 200.0f, 1e-3f);  // width follows the aspect
}

TEST(ViewProjector, HitTestFindsTheFrontNodeFirstAndSkipsHiddenSubtrees) {
    View view;
    auto back = view.add({0, 0, -3}, "back");
    auto front = view.add({0, 0, 2}, "grab");
    view.add({4, 0, 0}, "aside");
    auto hiddenGroup = Node::make();
    hiddenGroup->setHidden(true);
    view.root->addChildNode(hiddenGroup);
    hiddenGroup->addChildNode(Node::make(Primitives::sphere(1)));
    const ViewProjector projector(*view.cameraNode, {400, 400});
    const auto hits = projector.hitTest(*view.root, {200, 200});
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].node, front);
    EXPECT_EQ(hits[1].node, back);
    EXPECT_TRUE(near(hits[0].worldCoordinates, {0, 0, 2.5f}, 1e-3f));
    EXPECT_NEAR(hits[0].distance, 7.5f, 1e-3f);
    EXPECT_TRUE(projector.hitTest(*view.root, {5, 5}).empty());
    front->setHidden(true);
    const auto behind = projector.hitTest(*view.root, {200, 200});
    ASSERT_EQ(behind.size(), 1u);
    EXPECT_EQ(behind[0].node, back);
}

TEST(ViewProjector, HitTestUsesTheRotatedBoxAndIgnoresWhatIsBehind) {
    View view;
    auto plank = view.add({0, 0, 0}, "plank");
    plank->setScale({4, 0.1f, 1});
    plank->setEulerAngles({0, 0, glm::quarter_pi<float>()});  // a diagonal plank
    view.add({0, 0, 20}, "behind the camera");
    const ViewProjector projector(*view.cameraNode, {400, 400});
    const glm::vec3 onDiagonal = projector.projectPoint({1, 1, 0});
    const glm::vec3 offDiagonal = projector.projectPoint({1, -1, 0});
    EXPECT_EQ(projector.hitTest(*view.root, {onDiagonal.x, onDiagonal.y}).size(), 1u);
    EXPECT_TRUE(projector.hitTest(*view.root, {offDiagonal.x, offDiagonal.y}).empty());
}

TEST(ViewProjector, PreciseHitTestLooksAtTheTriangles) {
    View view;
    auto ball = Node::make(Primitives::sphere(1.0f), "ball");
    view.root->addChildNode(ball);
    auto leaf = Node::make(Primitives::plane(1, 1), "leaf");
    leaf->setPosition({3, 0, 0});
    leaf->setEulerAngles({0, glm::pi<float>(), 0});  // seen from behind
    view.root->addChildNode(leaf);
    const ViewProjector projector(*view.cameraNode, {400, 400});
    const HitTestOptions precise{.boundingBoxOnly = false};
    const glm::vec3 boxCorner =
        projector.projectPoint({0.85f, 0.85f, 1.0f});  // inside the box, outside the ball
    EXPECT_EQ(projector.hitTest(*view.root, {boxCorner.x, boxCorner.y}).size(), 1u);
    EXPECT_TRUE(projector.hitTest(*view.root, {boxCorner.x, boxCorner.y}, precise).empty());
    const auto centre = projector.hitTest(*view.root, {200, 200}, precise);
    ASSERT_EQ(centre.size(), 1u);
    EXPECT_NEAR(centre[0].worldCoordinates.z, 1.0f, 2e-3f);  // on the surface, not the box face
    const glm::vec3 atLeaf = projector.projectPoint({3, 0, 0});
    const auto leafHits = projector.hitTest(*view.root, {atLeaf.x, atLeaf.y}, precise);
    ASSERT_EQ(leafHits.size(), 1u);
    EXPECT_EQ(leafHits[0].node, leaf);
}

TEST(ViewProjector, HitTestsFollowASkinnedMeshIntoItsPose) {
    View view;
    auto bone = Node::make("bone");
    view.root->addChildNode(bone);
    MeshData data = Primitives::sphere(0.5f, 16)->mesh();
    data.joints.assign(data.vertexCount(), glm::u16vec4(0));
    data.weights.assign(data.vertexCount(), glm::vec4(1, 0, 0, 0));
    auto skinned = Node::make(Geometry::make(data), "grab");
    view.root->addChildNode(skinned);
    skinned->setSkinner(Skinner::make({bone}, {glm::mat4(1.0f)}));
    bone->setPosition({1.5f, 0, 0});  // the mesh follows the bone, not its own node
    bone->setScale({1, 3, 1});        // a tall ellipsoid: its box corners are empty space
    const ViewProjector projector(*view.cameraNode, {400, 400});
    const HitTestOptions precise{.boundingBoxOnly = false};
    const glm::vec3 centre = projector.projectPoint({1.5f, 0, 0});
    const glm::vec3 corner = projector.projectPoint({1.95f, 1.4f, 0.5f});
    EXPECT_TRUE(projector.hitTest(*view.root, {200, 200}).empty());
    const auto hits = projector.hitTest(*view.root, {centre.x, centre.y});
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].node, skinned);
    EXPECT_EQ(projector.hitTest(*view.root, {centre.x, centre.y}, precise).size(), 1u);
    EXPECT_EQ(projector.hitTest(*view.root, {corner.x, corner.y}).size(), 1u);
    EXPECT_TRUE(projector.hitTest(*view.root, {corner.x, corner.y}, precise).empty());
}

}  // namespace
}  // namespace plimsa
