#include "platform/scene/SceneObjectIdentity.h"

#include <atomic>

namespace plimsa {

uint64_t nextSceneObjectIdentity() {
    static std::atomic<uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace plimsa
