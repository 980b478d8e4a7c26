#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "character/CharacterReport.h"
#include "character/SwingCharacter.h"
#include "platform/image/Image.h"
#include "platform/signal/Signal.h"

namespace plimsa {

class Dispatch;
class SerialQueue;
class SnapshotRenderer;

/// Character thumbnails: a character standing in its `PortraitScene`, rendered off screen at 320 x 320
/// pixels with 4x multisampling on a clear background (premultiplied, rows top to bottom), cached in
/// memory and as PNG files (N + "@6.png" for the character named N) in a cache folder.
///
/// The static `render` functions work on any thread; each renders with its own offscreen context unless
/// given a renderer, which must then be used by that thread alone.
///
/// An instance serves the panel: `image(for)` answers at once from memory or the cache file, and
/// otherwise queues one render per name on its serial queue "plimsa.previews", whose jobs share one
/// renderer made on that queue's thread the first time it is needed. Results come back through the main
/// queue; `changed` is published after each change of `images()`. Main thread, except where noted.
/// Failures are silent: a name that does not resolve or a model that does not render gives no thumbnail
/// and leaves no trace, so the next request tries again; cache folder and file errors are ignored.
///
/// It also keeps each character's `CharacterReport`, in memory only: a render carries the report of the
/// load it made, and `report(for)` loads a model whose thumbnail came from the cache file, on the same
/// queue, never on the main thread.
class CharacterPreviews {
  public:
    static constexpr int kSide = 320;
    static constexpr int kSamples = 4;

    using Resolve = std::function<std::optional<std::filesystem::path>(std::string_view name)>;
    /// Renders the model file at the location into a thumbnail; runs on the serial queue's thread.
    using Render = std::function<std::optional<Image>(const std::filesystem::path& url)>;
    /// Loads the model file at the location for its report; runs on the serial queue's thread.
    using Inspect = std::function<CharacterReport(const std::filesystem::path& url)>;

    struct Options {
        /// Where thumbnails are cached (created on every lookup); empty: memory only.
        std::filesystem::path cacheFolder;
        /// Finds the model file of a name; empty: `CharacterLibrary::resolve`.
        Resolve resolve;
        /// Empty: `render(url, renderer)` on the queue's one renderer, made on first use.
        Render render;
    };

    /// The model file at `url` rendered: nothing when the file gives no character
    /// (`CharacterLoader::load`) or no offscreen context can be made.
    static std::optional<Image> render(const std::filesystem::path& url);
    /// As above, on a renderer the caller keeps (one per thread) to save making a context per call.
    static std::optional<Image> render(const std::filesystem::path& url, SnapshotRenderer& renderer);
    /// The thumbnail of a character already loaded (the built-in figure, for instance); nothing only when
    /// `character` is null or the render fails.
    static std::optional<Image> render(std::unique_ptr<SwingCharacter> character, SnapshotRenderer& renderer);

    /// The process-wide instance, made on the first call with `dispatch` (which must outlive the process's
    /// use of it), the cache folder userDataFolder() / "Previews" and the character library. Later calls
    /// ignore the argument. Never destroyed: its worker may be in the middle of a render at exit.
    static CharacterPreviews& shared(Dispatch& dispatch);

    /// `dispatch` must outlive this object. Makes the serial queue at once; nothing renders before the
    /// first `image(for)` that needs it.
    CharacterPreviews(Dispatch& dispatch, Options options);
    /// Waits for the render under way, if any; results not yet delivered are dropped.
    ~CharacterPreviews();
    CharacterPreviews(const CharacterPreviews&) = delete;
    CharacterPreviews& operator=(const CharacterPreviews&) = delete;

    /// The thumbnail of `name`, or nothing yet. From memory; else from the cache file, returned at once
    /// and stored in `images()` on a later turn of the main queue; else, when the name resolves and no
    /// render of it is under way, queues one (it lands in `images()` and the file). An unreadable cache
    /// file counts as absent. A name that could leave the cache folder (empty, ".", "..", containing "/"
    /// or NUL) never reads or writes a cache file; it may still be rendered into memory.
    std::shared_ptr<const Image> image(std::string_view name);

    /// Drops the thumbnail of `name` from memory (a published change) and deletes its cache file; the
    /// next request renders it anew. A render of it under way is not kept: it is done again.
    void forget(std::string_view name);

    /// The report of loading `name`'s model, or nothing yet: from memory; else, when the name resolves and
    /// no load of it is under way, queues one (a thumbnail render under way brings it too). The report
    /// lands in `reports()` and `reportChanged` is published. A report is kept whatever it says: a model
    /// that is refused has one, saying why.
    std::shared_ptr<const CharacterReport> report(std::string_view name);
    /// Replaces the load of a report-only job (`CharacterLoader::loadWithReport`, tests). A render made
    /// with an `Options::render` of its own takes its report from this too.
    void setInspect(Inspect inspect);

    /// Thumbnails in memory by name.
    const std::map<std::string, std::shared_ptr<const Image>, std::less<>>& images() const { return images_; }
    /// Names whose thumbnail is being rendered.
    const std::set<std::string, std::less<>>& pending() const { return pending_; }
    /// Reports in memory by name.
    const std::map<std::string, std::shared_ptr<const CharacterReport>, std::less<>>& reports() const {
        return reports_;
    }
    /// The cache file of `name`, or nothing when the name could leave the folder or there is no folder.
    /// Creates the folder (errors ignored). Any thread.
    std::optional<std::filesystem::path> cacheFile(std::string_view name) const;

    /// Published after each change of `images()`, with the name that changed.
    Signal<const std::string&> changed;
    /// Published after each change of `reports()`, with the name that changed.
    Signal<const std::string&> reportChanged;

  private:
    struct Worker;

    void startRender(const std::string& name, const std::filesystem::path& url);
    void finishRender(const std::string& name, std::optional<Image> image,
                      std::optional<CharacterReport> report);
    void startReport(const std::string& name, const std::filesystem::path& url);
    void finishReport(const std::string& name, std::optional<CharacterReport> report);
    void store(const std::string& name, std::shared_ptr<const Image> image);

    Dispatch& dispatch_;
    Options options_;
    std::map<std::string, std::shared_ptr<const Image>, std::less<>> images_;
    std::set<std::string, std::less<>> pending_;
    std::set<std::string, std::less<>> forgottenWhilePending_;
    std::map<std::string, std::shared_ptr<const CharacterReport>, std::less<>> reports_;
    // Names with a job under way that brings a report, and those of them forgotten since it started.
    std::set<std::string, std::less<>> reportPending_;
    std::set<std::string, std::less<>> reportForgotten_;
    // Counts forgets, so that a cache-file image read before one is not stored after it.
    unsigned long forgets_ = 0;
    // Main-queue work posted by this object runs only while it lives.
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
    // Declared before the queue, which is destroyed (joining its thread) first.
    std::shared_ptr<Worker> worker_;
    std::unique_ptr<SerialQueue> queue_;
};

}  // namespace plimsa
