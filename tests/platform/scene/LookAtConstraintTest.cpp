#include "platform/scene/Camera.h"
#include "platform/scene/LookAtConstraint.h"
#include "platform/scene/Node.h"

#include "support/Near.h"

namespace plimsa {
namespace {

using testing::near;

struct CameraRig {
    std::shared_ptr<Node> root = Node::make();
    std::shared_ptr<Node> camera = Node::make("camera");
    std::shared_ptr<Node> target = Node::make("target");
    std::shared_ptr<LookAtConstraint> constraint = LookAtConstraint::make(target);
    CameraRig() {
        root->addChildNode(camera);
        root->addChildNode(target);
        camera->setCamera(Camera::make());
        constraint->setGimbalLockEnabled(true);
        camera->setConstraints({constraint});
    }
    glm::vec3 front() const { return camera->convertVector({0, 0, -1}, nullptr); }
    glm::vec3 right() const { return camera->convertVector({1, 0, 0}, nullptr); }
};

TEST(LookAtConstraint, GimbalLockedCameraLooksAtTargetWithoutRollEvenStraightDown) {
    CameraRig rig;
    rig.camera->setPosition({0, 0, 10});
    rig.camera->setEulerAngles({0.0f, 0.0f, 0.8f});  // a rolled local orientation must not survive
    for (const glm::vec3 target : {glm::vec3(0, -2.1f, 0), glm::vec3(3, 4, -2), glm::vec3(-5, -1, 12)}) {
        rig.target->setPosition(target);  // moving only the target must refresh the camera
        EXPECT_TRUE(near(rig.front(), glm::normalize(target - glm::vec3(0, 0, 10)), 1e-5f));
        EXPECT_NEAR(rig.right().y, 0.0f, 1e-5f) << "camera rolled";
        EXPECT_GT(rig.camera->convertVector({0, 1, 0}, nullptr).y, 0.0f) << "camera upside down";
    }
    EXPECT_TRUE(near(rig.camera->eulerAngles(), {0.0f, 0.0f, 0.8f}));  // local orientation untouched

    // Straight down keeps the heading.
    rig.camera->setPosition({0, 10, 0});
    rig.camera->setEulerAngles({0, 0.5f, 0});
    rig.target->setPosition({0, 0, 0});
    EXPECT_TRUE(near(rig.front(), {0, -1, 0}, 1e-5f));
    EXPECT_NEAR(rig.right().y, 0.0f, 1e-5f);
    EXPECT_NEAR(glm::length(rig.right()), 1.0f, 1e-5f);
}

TEST(LookAtConstraint, WithoutGimbalLockTurnsTheShortestWayAndChildrenFollow) {
    CameraRig rig;
    rig.constraint->setGimbalLockEnabled(false);
    rig.camera->setEulerAngles({0, 0, 0.3f});
    rig.target->setPosition({0, 0, -5});  // already in front: nothing to turn
    EXPECT_TRUE(near(rig.right(), {std::cos(0.3f), std::sin(0.3f), 0}, 1e-5f));
    rig.target->setPosition({5, 0, 0});
    EXPECT_TRUE(near(rig.front(), {1, 0, 0}, 1e-5f));
    // Children of the constrained node follow.
    auto attached = Node::make();
    rig.camera->addChildNode(attached);
    attached->setPosition({0, 0, -1});
    rig.camera->setPosition({0, 0, 5});
    rig.target->setPosition({5, 0, 5});
    EXPECT_TRUE(near(attached->worldPosition(), {1, 0, 5}, 1e-5f));
    rig.target->setPosition({-5, 0, 5});
    EXPECT_TRUE(near(attached->worldPosition(), {-1, 0, 5}, 1e-5f));
}

TEST(LookAtConstraint, UnusableOrMutualTargetsLeaveTheOrientationAloneAndFinite) {
    CameraRig rig;
    rig.camera->setEulerAngles({0, 0.4f, 0});
    const glm::vec3 unconstrained{-std::sin(0.4f), 0, -std::cos(0.4f)};
    rig.target->setPosition(rig.camera->position());  // at the camera's own position
    EXPECT_TRUE(near(rig.front(), unconstrained, 1e-5f));
    rig.camera->addChildNode(rig.target);  // below the camera: would chase itself
    rig.target->setPosition({3, 0, 0});
    EXPECT_TRUE(near(rig.front(), unconstrained, 1e-5f));
    rig.target->removeFromParentNode();
    rig.target.reset();  // gone
    EXPECT_TRUE(near(rig.front(), unconstrained, 1e-5f));
    // Mutual constraints do not recurse forever.
    auto root = Node::make();
    std::shared_ptr<Node> nodes[2], fronts[2];
    for (int i = 0; i < 2; ++i) {
        nodes[i] = Node::make();
        fronts[i] = Node::make();
        root->addChildNode(nodes[i]);
        nodes[i]->addChildNode(fronts[i]);
        nodes[i]->setPosition({i == 0 ? 1.0f : -1.0f, 0, 0});
        fronts[i]->setPosition({0, 0, -1});
    }
    nodes[0]->setConstraints({LookAtConstraint::make(fronts[1])});
    nodes[1]->setConstraints({LookAtConstraint::make(fronts[0])});
    const glm::vec3 a = fronts[0]->worldPosition(), b = fronts[1]->worldPosition();
    EXPECT_TRUE(std::isfinite(a.x + a.y + a.z + b.x + b.y + b.z));
}

}  // namespace
}  // namespace plimsa
