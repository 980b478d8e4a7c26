#include "RenderTestScene.h"

#include "platform/scene/Camera.h"
#include "platform/scene/ViewProjector.h"

namespace plimsa::test {

std::unique_ptr<SnapshotRenderer> RenderTest::renderer_;

TestScene::TestScene(glm::vec3 position, glm::vec3 target, float orthographicScale) {
    camera = Node::make("camera");
    std::shared_ptr<Camera> lens = Camera::make();
    lens->fieldOfView = 40.0f;
    lens->zNear = 0.1f;
    lens->zFar = 50.0f;
    if (orthographicScale > 0.0f) {
        lens->usesOrthographicProjection = true;
        lens->orthographicScale = orthographicScale;
    }
    camera->setCamera(lens);
    camera->setPosition(position);
    camera->lookAt(target);
    scene->rootNode().addChildNode(camera);
}

std::shared_ptr<Node> TestScene::add(std::shared_ptr<Geometry> geometry, std::shared_ptr<Material> material,
                                     glm::vec3 position) {
    if (material) geometry->setFirstMaterial(std::move(material));
    std::shared_ptr<Node> node = Node::make(std::move(geometry));
    node->setPosition(position);
    scene->rootNode().addChildNode(node);
    return node;
}

std::shared_ptr<Node> TestScene::addLight(LightType type, float intensity, glm::vec3 euler) {
    std::shared_ptr<Node> node = Node::make();
    node->setLight(Light::make(type, intensity));
    node->setEulerAngles(euler);
    scene->rootNode().addChildNode(node);
    return node;
}

glm::ivec2 TestScene::pixelOf(glm::vec3 world, int width, int height) const {
    const ViewProjector projector(*camera, glm::vec2(width, height));
    const glm::vec3 view = projector.projectPoint(world);
    return {static_cast<int>(view.x), height - 1 - static_cast<int>(view.y)};
}

std::shared_ptr<Material> unlit(glm::vec4 color) {
    std::shared_ptr<Material> material = Material::make();
    material->setDiffuseColor(color);
    material->setLightingModel(LightingModel::constant);
    return material;
}

void RenderTest::SetUp() {
    if (!renderer_) {
        std::string error;
        renderer_ = SnapshotRenderer::create(&error);
        PLIMSA_SKIP_WITHOUT_RENDERER(renderer_ != nullptr, error);
    }
}

Image RenderTest::render(const TestScene& scene, int width, int height, int samples, double time) {
    return render(scene, width, height, Antialiasing{samples, false}, time);
}

Image RenderTest::render(const TestScene& scene, int width, int height, Antialiasing antialiasing,
                         double time) {
    std::optional<Image> image =
        renderer_->snapshot(*scene.scene, *scene.camera, width, height, antialiasing, time);
    EXPECT_TRUE(image.has_value());
    return image ? *image : Image();
}

Rgba at(const Image& image, glm::ivec2 pixel) {
    if (pixel.x < 0 || pixel.y < 0 || pixel.x >= image.width || pixel.y >= image.height) {
        ADD_FAILURE() << "pixel " << pixel.x << "," << pixel.y << " outside the image";
        return {};
    }
    return testing::at(image, pixel.x, pixel.y);
}

}  // namespace plimsa::test
