#include "platform/scene/Scene.h"

#include "platform/scene/Node.h"

namespace plimsa {

std::shared_ptr<Scene> Scene::make() {
    return std::make_shared<Scene>();
}

Scene::Scene() : root_(Node::make()) {}

}  // namespace plimsa
