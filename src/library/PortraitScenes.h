#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "character/SwingCharacter.h"

namespace plimsa {

class Dispatch;
class PortraitScene;
class SerialQueue;

/// The live portraits' scenes, one per character name, shared by every view that shows the name. A scene
/// is loaded once (the model on the serial queue "plimsa.portraits", the scene then built on the main
/// queue), counted in `PortraitScene::users`, and dropped `kGraceSeconds` after its last user lets go,
/// unless a view takes it up again in between.
///
/// Main thread, except the loading jobs. Failures are silent: a name that is empty, does not resolve or
/// does not load never calls `ready`; a later `acquire` tries again.
class PortraitScenes {
  public:
    static constexpr double kGraceSeconds = 3.0;

    using Ready = std::function<void(const std::shared_ptr<PortraitScene>&)>;
    using Resolve = std::function<std::optional<std::filesystem::path>(std::string_view name)>;
    /// Loads a character; runs on the serial queue's thread.
    using Load = std::function<std::unique_ptr<SwingCharacter>(const std::filesystem::path& url)>;

    struct Options {
        /// Empty: `CharacterLibrary::resolve`.
        Resolve resolve;
        /// Empty: `CharacterLoader::load` (a model that throws counts as one that does not load).
        Load load;
    };

    /// The process-wide instance, made on the first call with `dispatch` (which must outlive the process's
    /// use of it) and the character library. Later calls ignore the argument. Never destroyed.
    static PortraitScenes& shared(Dispatch& dispatch);

    /// `dispatch` must outlive this object.
    PortraitScenes(Dispatch& dispatch, Options options);
    /// Waits for the load under way, if any; loads not yet delivered call no one.
    ~PortraitScenes();
    PortraitScenes(const PortraitScenes&) = delete;
    PortraitScenes& operator=(const PortraitScenes&) = delete;

    /// Takes one use of the scene of `name` and calls `ready` with it: at once when it is loaded, else
    /// when its load ends (one load per name however many ask). A waiter of a name that does not resolve
    /// stays waiting until a later load of that name serves it.
    void acquire(const std::string& name, Ready ready);
    /// Gives one use back; the scene goes `kGraceSeconds` later if it is then still unused.
    void release(const std::string& name);
    /// Drops every loaded scene now (views that still hold one keep it alive). Loads under way still
    /// serve their waiters.
    void removeAll();

    /// The loaded scene of `name`, or null.
    std::shared_ptr<PortraitScene> scene(std::string_view name) const;
    /// Names being loaded.
    const std::set<std::string, std::less<>>& loading() const { return loading_; }
    /// Callbacks waiting for the scene of `name`.
    std::size_t waiterCount(std::string_view name) const;

  private:
    void finishLoad(const std::string& name, std::unique_ptr<SwingCharacter> character);

    Dispatch& dispatch_;
    Options options_;
    std::map<std::string, std::shared_ptr<PortraitScene>, std::less<>> scenes_;
    std::set<std::string, std::less<>> loading_;
    std::map<std::string, std::vector<Ready>, std::less<>> waiters_;
    // Main-queue work posted by this object runs only while it lives.
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
    std::unique_ptr<SerialQueue> queue_;
};

}  // namespace plimsa
