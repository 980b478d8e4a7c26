#include "library/CharacterPreviews.h"

#include <exception>
#include <system_error>

#include "character/CharacterLoader.h"
#include "library/CharacterLibrary.h"
#include "library/PortraitScene.h"
#include "library/UserDataFolder.h"
#include "platform/desktop/Dispatch.h"
#include "platform/image/Png.h"
#include "platform/render/SnapshotRenderer.h"

namespace plimsa {

namespace {

std::unique_ptr<SwingCharacter> loadQuietly(const std::filesystem::path& url) {
    try {
        return CharacterLoader::load(url);
    } catch (const std::exception&) {
        // An unreadable model has no thumbnail, like a missing one.
        return nullptr;
    }
}

bool staysInFolder(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

}  // namespace

/// What the serial queue's jobs share; touched on the queue's thread only (and destroyed after it ends).
struct CharacterPreviews::Worker {
    Render render;
    std::unique_ptr<SnapshotRenderer> renderer;

    std::optional<Image> run(const std::filesystem::path& url) {
        if (render) return render(url);
        auto character = loadQuietly(url);
        if (!character) return std::nullopt;
        // One context for every thumbnail; a failure to make one is tried again by the next render.
        if (!renderer) renderer = SnapshotRenderer::create();
        if (!renderer) return std::nullopt;
        return CharacterPreviews::render(std::move(character), *renderer);
    }
};

std::optional<Image> CharacterPreviews::render(const std::filesystem::path& url) {
    auto character = loadQuietly(url);
    if (!character) return std::nullopt;
    auto renderer = SnapshotRenderer::create();
    if (!renderer) return std::nullopt;
    return render(std::move(character), *renderer);
}

std::optional<Image> CharacterPreviews::render(const std::filesystem::path& url, SnapshotRenderer& renderer) {
    auto character = loadQuietly(url);
    if (!character) return std::nullopt;
    return render(std::move(character), renderer);
}

std::optional<Image> CharacterPreviews::render(std::unique_ptr<SwingCharacter> character,
                                               SnapshotRenderer& renderer) {
    if (!character) return std::nullopt;
    const PortraitScene portrait(std::move(character));
    // The pose was applied when the portrait was built; no per-frame hook runs for a still.
    renderer.setDelegate({});
    return renderer.snapshot(*portrait.scene(), *portrait.cameraNode(), kSide, kSide, kSamples, 0.0);
}

CharacterPreviews& CharacterPreviews::shared(Dispatch& dispatch) {
    const std::filesystem::path user = userDataFolder();
    static auto* const instance =
        new CharacterPreviews(dispatch, {user.empty() ? user : user / "Previews", {}, {}});
    return *instance;
}

CharacterPreviews::CharacterPreviews(Dispatch& dispatch, Options options)
    : dispatch_(dispatch),
      options_(std::move(options)),
      worker_(std::make_shared<Worker>()),
      queue_(dispatch.serialQueue("plimsa.previews")) {
    if (!options_.resolve) options_.resolve = CharacterLibrary::resolve;
    worker_->render = std::move(options_.render);
}

CharacterPreviews::~CharacterPreviews() = default;

std::optional<std::filesystem::path> CharacterPreviews::cacheFile(std::string_view name) const {
    if (options_.cacheFolder.empty() || !staysInFolder(name)) return std::nullopt;
    std::error_code ignored;
    std::filesystem::create_directories(options_.cacheFolder, ignored);
    return options_.cacheFolder / (std::string(name) + "@6.png");
}

std::shared_ptr<const Image> CharacterPreviews::image(std::string_view name) {
    if (name.empty()) return nullptr;
    if (const auto found = images_.find(name); found != images_.end()) return found->second;
    const std::string key(name);
    if (const auto file = cacheFile(name)) {
        if (auto cached = Png::read(file->string())) {
            auto image = std::make_shared<const Image>(std::move(*cached));
            dispatch_.post([this, alive = std::weak_ptr<int>(lifetime_), key, image, forgets = forgets_] {
                // A forget since the read means the file may have been stale.
                if (alive.expired() || forgets != forgets_ || images_.contains(key)) return;
                store(key, image);
            });
            return image;
        }
    }
    if (pending_.contains(name)) return nullptr;
    const auto url = options_.resolve(name);
    if (!url) return nullptr;
    pending_.insert(key);
    startRender(key, *url);
    return nullptr;
}

void CharacterPreviews::startRender(const std::string& name, const std::filesystem::path& url) {
    queue_->post([this, worker = worker_, &dispatch = dispatch_, alive = std::weak_ptr<int>(lifetime_), name,
                  url, file = cacheFile(name)] {
        std::optional<Image> image = worker->run(url);
        // A failed write only costs a render next time; Png::write never leaves a partial file.
        if (image && file) Png::write(*image, file->string());
        dispatch.post([this, alive, name, image = std::move(image)]() mutable {
            if (!alive.expired()) finishRender(name, std::move(image));
        });
    });
}

void CharacterPreviews::finishRender(const std::string& name, std::optional<Image> image) {
    if (forgottenWhilePending_.erase(name) > 0) {
        // The model changed while it rendered: the result (and the file it wrote) shows the old one.
        if (const auto file = cacheFile(name)) {
            std::error_code ignored;
            std::filesystem::remove(*file, ignored);
        }
        if (const auto url = options_.resolve(name)) return startRender(name, *url);
        pending_.erase(name);
        return;
    }
    pending_.erase(name);
    if (image) store(name, std::make_shared<const Image>(std::move(*image)));
}

void CharacterPreviews::store(const std::string& name, std::shared_ptr<const Image> image) {
    images_[name] = std::move(image);
    changed.publish(name);
}

void CharacterPreviews::forget(std::string_view name) {
    ++forgets_;
    if (pending_.contains(name)) forgottenWhilePending_.emplace(name);
    if (const auto file = cacheFile(name)) {
        std::error_code ignored;
        std::filesystem::remove(*file, ignored);
    }
    const auto found = images_.find(name);
    if (found == images_.end()) return;
    const std::string key = found->first;
    images_.erase(found);
    changed.publish(key);
}

}  // namespace plimsa
