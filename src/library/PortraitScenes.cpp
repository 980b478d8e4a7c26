#include "library/PortraitScenes.h"

#include <exception>

#include "character/CharacterLoader.h"
#include "library/CharacterLibrary.h"
#include "library/PortraitScene.h"
#include "platform/desktop/Dispatch.h"

namespace plimsa {

namespace {

std::unique_ptr<SwingCharacter> loadQuietly(const PortraitScenes::Load& load,
                                            const std::filesystem::path& url) {
    try {
        return load(url);
    } catch (const std::exception&) {
        return nullptr;
    }
}

}  // namespace

PortraitScenes& PortraitScenes::shared(Dispatch& dispatch) {
    static auto* const instance = new PortraitScenes(dispatch, {});
    return *instance;
}

PortraitScenes::PortraitScenes(Dispatch& dispatch, Options options)
    : dispatch_(dispatch), options_(std::move(options)), queue_(dispatch.serialQueue("plimsa.portraits")) {
    if (!options_.resolve) options_.resolve = CharacterLibrary::resolve;
    if (!options_.load) options_.load = CharacterLoader::load;
}

PortraitScenes::~PortraitScenes() = default;

void PortraitScenes::acquire(const std::string& name, Ready ready) {
    if (name.empty()) return;
    if (const auto found = scenes_.find(name); found != scenes_.end()) {
        const std::shared_ptr<PortraitScene> scene = found->second;
        ++scene->users;
        if (ready) ready(scene);
        return;
    }
    waiters_[name].push_back(std::move(ready));
    if (loading_.contains(name)) return;
    const auto url = options_.resolve(name);
    if (!url) return;
    loading_.insert(name);
    queue_->post([load = options_.load, &dispatch = dispatch_, alive = std::weak_ptr<int>(lifetime_), this,
                  name, url = *url] {
        // std::function needs a copyable callable; the character travels in a shared holder.
        auto character = std::make_shared<std::unique_ptr<SwingCharacter>>(loadQuietly(load, url));
        dispatch.post([this, alive, name, character] {
            if (!alive.expired()) finishLoad(name, std::move(*character));
        });
    });
}

void PortraitScenes::finishLoad(const std::string& name, std::unique_ptr<SwingCharacter> character) {
    loading_.erase(name);
    auto waiting = waiters_.extract(name);
    if (!character || waiting.empty()) return;
    auto scene = std::make_shared<PortraitScene>(std::move(character));
    scenes_[name] = scene;
    for (Ready& ready : waiting.mapped()) {
        ++scene->users;
        if (ready) ready(scene);
    }
}

void PortraitScenes::release(const std::string& name) {
    const auto found = scenes_.find(name);
    if (found == scenes_.end()) return;
    if (--found->second->users >= 1) return;
    dispatch_.after(kGraceSeconds, [this, alive = std::weak_ptr<int>(lifetime_), name] {
        if (alive.expired()) return;
        const auto still = scenes_.find(name);
        if (still != scenes_.end() && still->second->users < 1) scenes_.erase(still);
    });
}

void PortraitScenes::removeAll() {
    scenes_.clear();
}

std::shared_ptr<PortraitScene> PortraitScenes::scene(std::string_view name) const {
    const auto found = scenes_.find(name);
    return found == scenes_.end() ? nullptr : found->second;
}

std::size_t PortraitScenes::waiterCount(std::string_view name) const {
    const auto found = waiters_.find(name);
    return found == waiters_.end() ? 0 : found->second.size();
}

}  // namespace plimsa
