#include "library/CharacterPreviews.h"

#include <exception>
#include <system_error>
#include <tuple>
#include <utility>

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
    Inspect inspect;
    std::unique_ptr<SnapshotRenderer> renderer;

    CharacterReport report(const std::filesystem::path& url) const {
        return inspect ? inspect(url) : CharacterLoader::loadWithReport(url).report;
    }

    std::pair<std::optional<Image>, CharacterReport> run(const std::filesystem::path& url) {
        if (render) return {render(url), report(url)};
        auto loaded = CharacterLoader::loadWithReport(url);
        if (!loaded.character) return {std::nullopt, std::move(loaded.report)};
        // One context for every thumbnail; a failure to make one is tried again by the next render.
        if (!renderer) renderer = SnapshotRenderer::create();
        if (!renderer) return {std::nullopt, std::move(loaded.report)};
        return {CharacterPreviews::render(std::move(loaded.character), *renderer), std::move(loaded.report)};
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
    reportPending_.insert(name);
    queue_->post([this, worker = worker_, &dispatch = dispatch_, alive = std::weak_ptr<int>(lifetime_), name,
                  url, file = cacheFile(name)] {
        std::optional<CharacterReport> report;
        std::optional<Image> image;
        try {
            std::tie(image, report) = worker->run(url);
        } catch (const std::exception&) {
            // An unreadable model has no thumbnail, like a missing one.
        }
        // A failed write only costs a render next time; Png::write never leaves a partial file.
        if (image && file) Png::write(*image, file->string());
        dispatch.post([this, alive, name, image = std::move(image), report = std::move(report)]() mutable {
            if (!alive.expired()) finishRender(name, std::move(image), std::move(report));
        });
    });
}

void CharacterPreviews::finishRender(const std::string& name, std::optional<Image> image,
                                     std::optional<CharacterReport> report) {
    if (forgottenWhilePending_.erase(name) > 0) {
        // The model changed while it rendered: the result (and the file it wrote) shows the old one.
        if (const auto file = cacheFile(name)) {
            std::error_code ignored;
            std::filesystem::remove(*file, ignored);
        }
        reportForgotten_.erase(name);
        if (const auto url = options_.resolve(name)) return startRender(name, *url);
        pending_.erase(name);
        reportPending_.erase(name);
        return;
    }
    pending_.erase(name);
    if (image) store(name, std::make_shared<const Image>(std::move(*image)));
    finishReport(name, std::move(report));
}

std::shared_ptr<const CharacterReport> CharacterPreviews::report(std::string_view name) {
    if (name.empty()) return nullptr;
    if (const auto found = reports_.find(name); found != reports_.end()) return found->second;
    if (reportPending_.contains(name)) return nullptr;
    if (const auto url = options_.resolve(name)) startReport(std::string(name), *url);
    return nullptr;
}

void CharacterPreviews::setInspect(Inspect inspect) {
    queue_->post(
        [worker = worker_, inspect = std::move(inspect)]() mutable { worker->inspect = std::move(inspect); });
}

void CharacterPreviews::startReport(const std::string& name, const std::filesystem::path& url) {
    reportPending_.insert(name);
    queue_->post(
        [this, worker = worker_, &dispatch = dispatch_, alive = std::weak_ptr<int>(lifetime_), name, url] {
            std::optional<CharacterReport> report;
            try {
                report = worker->report(url);
            } catch (const std::exception&) {
                // Tried again on the next request.
            }
            dispatch.post([this, alive, name, report = std::move(report)]() mutable {
                if (!alive.expired()) finishReport(name, std::move(report));
            });
        });
}

void CharacterPreviews::finishReport(const std::string& name, std::optional<CharacterReport> report) {
    reportPending_.erase(name);
    if (reportForgotten_.erase(name) > 0) {
        // The model changed while it loaded: load the new one.
        if (const auto url = options_.resolve(name)) startReport(name, *url);
        return;
    }
    if (!report) return;
    reports_[name] = std::make_shared<const CharacterReport>(std::move(*report));
    reportChanged.publish(name);
}

void CharacterPreviews::store(const std::string& name, std::shared_ptr<const Image> image) {
    images_[name] = std::move(image);
    changed.publish(name);
}

void CharacterPreviews::forget(std::string_view name) {
    ++forgets_;
    if (pending_.contains(name)) forgottenWhilePending_.emplace(name);
    if (reportPending_.contains(name)) reportForgotten_.emplace(name);
    if (const auto report = reports_.find(name); report != reports_.end()) {
        const std::string key = report->first;
        reports_.erase(report);
        reportChanged.publish(key);
    }
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
