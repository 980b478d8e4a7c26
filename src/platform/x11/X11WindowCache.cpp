#include "platform/x11/X11WindowCache.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <span>
#include <string>
#include <unordered_set>
#include <utility>

#include "platform/x11/XcbReply.h"

namespace plimsa::x11 {
namespace {

constexpr uint32_t kOwnerBits = X11WindowRecord::bitOf(WindowProperty::pid) |
                                X11WindowRecord::bitOf(WindowProperty::wmClass) |
                                X11WindowRecord::bitOf(WindowProperty::clientLeader) |
                                X11WindowRecord::bitOf(WindowProperty::transientFor);
constexpr uint32_t kLongestList = 1u << 16;  // in 32-bit words
constexpr uint32_t kLongestValue = 1024;
constexpr int kDeepestFrame = 8;

// A write to a server that has gone raises SIGPIPE, which would end the process. Blocked for the span
// of a refresh, and a SIGPIPE raised meanwhile is consumed; the connection then reports its error.
class SigpipeBlock {
  public:
    SigpipeBlock() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe_, &previous_);
        sigset_t pending;
        wasPending_ = sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
    }
    ~SigpipeBlock() {
        sigset_t pending;
        if (!wasPending_ && sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1) {
            const timespec now{};
            sigtimedwait(&pipe_, nullptr, &now);
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    SigpipeBlock(const SigpipeBlock&) = delete;
    SigpipeBlock& operator=(const SigpipeBlock&) = delete;

  private:
    sigset_t pipe_{};
    sigset_t previous_{};
    bool wasPending_ = false;
};

xcb_get_property_cookie_t askProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t atom,
                                      uint32_t length = kLongestValue) {
    return xcb_get_property(connection, 0, window, atom, XCB_GET_PROPERTY_TYPE_ANY, 0, length);
}

std::span<const uint32_t> wordsOf(const xcb_get_property_reply_t* reply) {
    if (reply == nullptr || reply->format != 32) return {};
    return {static_cast<const uint32_t*>(xcb_get_property_value(reply)),
            static_cast<size_t>(xcb_get_property_value_length(reply)) / sizeof(uint32_t)};
}

std::optional<uint32_t> firstWordOf(const xcb_get_property_reply_t* reply) {
    const std::span<const uint32_t> words = wordsOf(reply);
    if (words.empty()) return std::nullopt;
    return words.front();
}

void selectEvents(xcb_connection_t* connection, xcb_window_t window, uint32_t mask) {
    xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &mask);
}

}  // namespace

std::unique_ptr<X11WindowCache> X11WindowCache::connect(const char* display, double devicePixelRatio) {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(display, &screenNumber);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return nullptr;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
    if (screens.rem > 0)
        selectEvents(connection, screens.data->root,
                     XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
    std::optional<X11Atoms> atoms = screens.rem > 0 ? X11Atoms::intern(connection) : std::nullopt;
    if (!atoms || xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::unique_ptr<X11WindowCache>(
        new X11WindowCache(connection, screens.data->root, std::move(*atoms), devicePixelRatio));
}

X11WindowCache::X11WindowCache(xcb_connection_t* connection, xcb_window_t root, X11Atoms atoms,
                               double devicePixelRatio)
    : connection_(connection),
      root_(root),
      atoms_(std::move(atoms)),
      devicePixelRatio_(devicePixelRatio > 0 ? devicePixelRatio : 1.0),
      ownPid_(static_cast<int32_t>(::getpid())) {}

X11WindowCache::~X11WindowCache() {
    if (connection_ != nullptr) xcb_disconnect(connection_);
}

std::optional<RunningApplication> X11WindowCache::frontmostApplication() {
    if (!refresh()) return std::nullopt;
    if (!ewmh_) return focusedOwner();
    if (frontDirty_) {
        front_ = active_ == XCB_NONE ? std::nullopt : ownerOf(active_);
        frontDirty_ = false;
    }
    return front_;
}

bool X11WindowCache::isTerminated(int32_t pid) {
    if (pid <= 0 || !refresh()) return true;
    const bool hasWindow = std::any_of(windows_.begin(), windows_.end(),
                                       [pid](const auto& entry) { return entry.second.pid == pid; });
    if (!hasWindow) return true;
    std::error_code error;
    return std::filesystem::exists("/proc/self", error) &&
           !std::filesystem::exists("/proc/" + std::to_string(pid), error);
}

std::vector<ListedWindow> X11WindowCache::onScreenWindows() {
    std::vector<ListedWindow> listed;
    if (!refresh()) return listed;
    const std::optional<uint32_t> desktop = ewmh_ ? currentDesktop_ : std::nullopt;
    listed.reserve(stacking_.size());
    for (auto id = stacking_.rbegin(); id != stacking_.rend(); ++id) {
        const auto found = windows_.find(*id);
        if (found == windows_.end() || !isShown(found->second, desktop, atoms_.ewmh())) continue;
        listed.push_back(listedWindowOf(found->second, atoms_.ewmh(), devicePixelRatio_));
    }
    return listed;
}

bool X11WindowCache::refresh() {
    if (connection_ == nullptr) return false;
    drainEvents();
    if (xcb_connection_has_error(connection_) != 0) {
        dropConnection();
        return false;
    }
    if (rootDirty_ == 0 && !anyWindowDirty_) return true;
    {
        const SigpipeBlock block;
        if (rootDirty_ != 0) readRoot();
        if (anyWindowDirty_) readWindows();
        xcb_flush(connection_);
    }
    if (xcb_connection_has_error(connection_) != 0) {
        dropConnection();
        return false;
    }
    return true;
}

void X11WindowCache::drainEvents() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        handleEvent(*event);
        std::free(event);
    }
}

void X11WindowCache::markWindow(xcb_window_t window, uint32_t bits) {
    auto found = windows_.find(window);
    if (found == windows_.end()) {
        const auto frame = clientOfFrame_.find(window);
        if (frame == clientOfFrame_.end()) return;
        found = windows_.find(frame->second);
        if (found == windows_.end()) return;
    }
    found->second.dirty |= bits;
    anyWindowDirty_ = true;
}

void X11WindowCache::handleEvent(const xcb_generic_event_t& event) {
    const auto geometry = X11WindowRecord::kGeometryBit;
    const auto attributes = X11WindowRecord::kAttributesBit;
    // Without a window manager the root's children are the list: any change among them restacks it.
    const uint32_t childrenChanged = ewmh_ ? 0u : static_cast<uint32_t>(kListBit);
    switch (event.response_type & 0x7F) {
        case XCB_PROPERTY_NOTIFY:
            handlePropertyChange(reinterpret_cast<const xcb_property_notify_event_t&>(event));
            break;
        case XCB_CONFIGURE_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
            markWindow(e.window, geometry);
            if (e.event == root_) rootDirty_ |= childrenChanged;
            break;
        }
        case XCB_GRAVITY_NOTIFY:
            markWindow(reinterpret_cast<const xcb_gravity_notify_event_t&>(event).window, geometry);
            break;
        case XCB_MAP_NOTIFY:
            markWindow(reinterpret_cast<const xcb_map_notify_event_t&>(event).window, attributes | geometry);
            break;
        case XCB_UNMAP_NOTIFY:
            markWindow(reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window, attributes);
            break;
        case XCB_REPARENT_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_reparent_notify_event_t&>(event);
            markWindow(e.window, X11WindowRecord::kFrameBit | geometry | attributes);
            rootDirty_ |= childrenChanged;
            frontDirty_ = true;
            break;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
            if (e.window == checkWindow_) rootDirty_ |= kModeBit;
            markWindow(e.window, attributes);
            rootDirty_ |= childrenChanged;
            frontDirty_ = true;
            break;
        }
        case XCB_CREATE_NOTIFY:
        case XCB_CIRCULATE_NOTIFY:
            rootDirty_ |= childrenChanged;
            break;
        default:
            break;  // errors of requests about windows gone meanwhile, and events we did not ask for
    }
}

void X11WindowCache::handlePropertyChange(const xcb_property_notify_event_t& event) {
    const xcb_ewmh_connection_t& ewmh = atoms_.ewmh();
    if (event.window != root_) {
        if (const std::optional<WindowProperty> property = atoms_.windowPropertyNamed(event.atom))
            markWindow(event.window, X11WindowRecord::bitOf(*property));
        return;
    }
    // The list's first appearance is what tells of a window manager that has just started.
    if (event.atom == ewmh._NET_CLIENT_LIST_STACKING) rootDirty_ |= ewmh_ ? kListBit : kModeBit | kListBit;
    if (event.atom == ewmh._NET_ACTIVE_WINDOW) rootDirty_ |= kActiveBit;
    if (event.atom == ewmh._NET_CURRENT_DESKTOP) rootDirty_ |= kDesktopBit;
    if (event.atom == ewmh._NET_SUPPORTING_WM_CHECK) rootDirty_ |= kModeBit;
}

void X11WindowCache::readRoot() {
    const xcb_ewmh_connection_t& ewmh = atoms_.ewmh();
    const uint32_t dirty = std::exchange(rootDirty_, 0u);
    const bool modeChanged = (dirty & kModeBit) != 0;
    const auto wants = [&](uint32_t bit) { return modeChanged || (dirty & bit) != 0; };
    // Without EWMH only the tree is of use, but a mode change does not know yet which mode comes.
    const bool wantsTree = modeChanged || (!ewmh_ && wants(kListBit));
    const bool wantsList = modeChanged || (ewmh_ && wants(kListBit));
    const bool wantsActive = ewmh_ && wants(kActiveBit);
    const bool wantsDesktop = ewmh_ && wants(kDesktopBit);
    xcb_get_property_cookie_t check{}, list{}, active{}, desktop{};
    xcb_query_tree_cookie_t tree{};
    if (modeChanged) check = askProperty(connection_, root_, ewmh._NET_SUPPORTING_WM_CHECK, 1);
    if (wantsList) list = askProperty(connection_, root_, ewmh._NET_CLIENT_LIST_STACKING, kLongestList);
    if (wantsActive || modeChanged) active = askProperty(connection_, root_, ewmh._NET_ACTIVE_WINDOW, 1);
    if (wantsDesktop || modeChanged) desktop = askProperty(connection_, root_, ewmh._NET_CURRENT_DESKTOP, 1);
    if (wantsTree) tree = xcb_query_tree(connection_, root_);

    XcbPointer<xcb_get_property_reply_t> listReply;
    if (wantsList) listReply = replyTo(connection_, xcb_get_property_reply, list);
    if (modeChanged) {
        const bool hadEwmh = ewmh_;
        const auto checkReply = replyTo(connection_, xcb_get_property_reply, check);
        ewmh_ = confirmWindowManager(firstWordOf(checkReply.get()).value_or(XCB_NONE)) &&
                listReply != nullptr && listReply->type != XCB_ATOM_NONE;
        if (ewmh_ != hadEwmh) {
            windows_.clear();
            clientOfFrame_.clear();
        }
    }
    if (modeChanged || wantsActive) {
        const auto reply = replyTo(connection_, xcb_get_property_reply, active);
        active_ = ewmh_ ? firstWordOf(reply.get()).value_or(XCB_NONE) : XCB_NONE;
        frontDirty_ = true;
    }
    if (modeChanged || wantsDesktop) {
        const auto reply = replyTo(connection_, xcb_get_property_reply, desktop);
        currentDesktop_ = ewmh_ ? firstWordOf(reply.get()) : std::nullopt;
    }
    const auto treeReply = wantsTree ? replyTo(connection_, xcb_query_tree_reply, tree) : nullptr;
    if (ewmh_ && listReply) {
        const std::span<const uint32_t> words = wordsOf(listReply.get());
        adoptList({words.begin(), words.end()});
    } else if (!ewmh_ && wantsTree) {
        const xcb_window_t* children = treeReply ? xcb_query_tree_children(treeReply.get()) : nullptr;
        adoptList({children, children + (treeReply ? xcb_query_tree_children_length(treeReply.get()) : 0)});
    }
}

bool X11WindowCache::confirmWindowManager(xcb_window_t candidate) {
    // A window manager proves it runs by a check window that names itself; a stale root property left
    // by one that quit names a window that is gone. Its destruction tells us when it quits.
    checkWindow_ = XCB_NONE;
    if (candidate == XCB_NONE) return false;
    selectEvents(connection_, candidate, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    const auto own = replyTo(connection_, xcb_get_property_reply,
                             askProperty(connection_, candidate, atoms_.ewmh()._NET_SUPPORTING_WM_CHECK, 1));
    if (firstWordOf(own.get()) != candidate) return false;
    checkWindow_ = candidate;
    return true;
}

void X11WindowCache::adoptList(const std::vector<xcb_window_t>& windows) {
    std::unordered_map<xcb_window_t, X11WindowRecord> adopted;
    adopted.reserve(windows.size());
    for (xcb_window_t id : windows) {
        if (id == XCB_NONE || adopted.contains(id)) continue;
        auto found = windows_.find(id);
        if (found != windows_.end()) {
            adopted.emplace(id, std::move(found->second));
            continue;
        }
        // Listening before reading: a change made after the read below still arrives as an event.
        selectEvents(connection_, id, XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE);
        X11WindowRecord record;
        record.id = id;
        adopted.emplace(id, std::move(record));
        anyWindowDirty_ = true;
    }
    windows_ = std::move(adopted);
    std::erase_if(clientOfFrame_, [this](const auto& entry) { return !windows_.contains(entry.second); });
    stacking_.assign(windows.begin(), windows.end());
}

/// The requests of one window's refresh, sent together; each reply is awaited only after all are sent.
struct WindowRequest {
    X11WindowRecord* record = nullptr;
    uint32_t bits = 0;
    std::array<xcb_get_property_cookie_t, kWindowPropertyCount> properties{};
    xcb_translate_coordinates_cookie_t origin{};
    xcb_get_geometry_cookie_t geometry{};
    xcb_get_window_attributes_cookie_t attributes{};
    xcb_query_tree_cookie_t tree{};
};

void X11WindowCache::readWindows() {
    std::vector<WindowRequest> requests;
    for (auto& [id, record] : windows_) {
        if (record.dirty == 0) continue;
        WindowRequest request{&record, std::exchange(record.dirty, 0u)};
        for (size_t i = 0; i < kWindowPropertyCount; ++i)
            if ((request.bits & (1u << i)) != 0)
                request.properties[i] =
                    askProperty(connection_, id, atoms_.windowProperty(static_cast<WindowProperty>(i)));
        if ((request.bits & X11WindowRecord::kGeometryBit) != 0) {
            request.origin = xcb_translate_coordinates(connection_, id, root_, 0, 0);
            request.geometry = xcb_get_geometry(connection_, id);
        }
        if ((request.bits & X11WindowRecord::kAttributesBit) != 0)
            request.attributes = xcb_get_window_attributes(connection_, id);
        if ((request.bits & X11WindowRecord::kFrameBit) != 0) request.tree = xcb_query_tree(connection_, id);
        requests.push_back(request);
    }
    anyWindowDirty_ = false;
    std::vector<std::pair<X11WindowRecord*, xcb_window_t>> framesToFind;
    for (WindowRequest& request : requests) storeReplies(request, framesToFind);
    if (!framesToFind.empty()) findFrames(std::move(framesToFind));
}

void X11WindowCache::storeReplies(WindowRequest& request,
                                  std::vector<std::pair<X11WindowRecord*, xcb_window_t>>& framesToFind) {
    X11WindowRecord& record = *request.record;
    for (size_t i = 0; i < kWindowPropertyCount; ++i)
        if ((request.bits & (1u << i)) != 0)
            record.store(static_cast<WindowProperty>(i),
                         replyTo(connection_, xcb_get_property_reply, request.properties[i]).get());
    if ((request.bits & kOwnerBits) != 0) frontDirty_ = true;
    if ((request.bits & X11WindowRecord::kGeometryBit) != 0) {
        const auto origin = replyTo(connection_, xcb_translate_coordinates_reply, request.origin);
        const auto geometry = replyTo(connection_, xcb_get_geometry_reply, request.geometry);
        record.geometry.reset();
        if (origin && geometry) {
            const int32_t border = geometry->border_width;
            record.geometry = PixelRect{origin->dst_x - border, origin->dst_y - border,
                                        geometry->width + 2u * geometry->border_width,
                                        geometry->height + 2u * geometry->border_width};
        }
    }
    if ((request.bits & X11WindowRecord::kAttributesBit) != 0) {
        const auto attributes = replyTo(connection_, xcb_get_window_attributes_reply, request.attributes);
        record.viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    }
    if ((request.bits & X11WindowRecord::kFrameBit) != 0) {
        const auto tree = replyTo(connection_, xcb_query_tree_reply, request.tree);
        const xcb_window_t parent = tree ? tree->parent : XCB_NONE;
        if (parent != XCB_NONE && parent != root_) {
            framesToFind.emplace_back(&record, parent);
        } else {
            if (record.frame != record.id) clientOfFrame_.erase(record.frame);
            record.frame = record.id;
        }
    }
}

void X11WindowCache::findFrames(std::vector<std::pair<X11WindowRecord*, xcb_window_t>> pending) {
    // Walks each window's ancestors up to the root's child, one level per round trip for all windows.
    for (int depth = 0; depth < kDeepestFrame && !pending.empty(); ++depth) {
        std::vector<xcb_query_tree_cookie_t> cookies;
        for (const auto& entry : pending) cookies.push_back(xcb_query_tree(connection_, entry.second));
        std::vector<std::pair<X11WindowRecord*, xcb_window_t>> deeper;
        for (size_t i = 0; i < pending.size(); ++i) {
            auto& [record, ancestor] = pending[i];
            auto tree = replyTo(connection_, xcb_query_tree_reply, cookies[i]);
            if (tree && tree->parent != root_ && tree->parent != XCB_NONE) {
                deeper.emplace_back(record, tree->parent);
                continue;
            }
            if (record->frame != record->id) clientOfFrame_.erase(record->frame);
            record->frame = tree ? ancestor : record->id;
            if (record->frame != record->id) clientOfFrame_[record->frame] = record->id;
        }
        pending = std::move(deeper);
    }
}

std::optional<RunningApplication> X11WindowCache::ownerOf(xcb_window_t window) {
    std::optional<int32_t> pid;
    std::optional<std::string> wmClass;
    std::unordered_set<xcb_window_t> visited;
    for (xcb_window_t current = window; current != XCB_NONE && visited.insert(current).second;) {
        if (const auto frame = clientOfFrame_.find(current); frame != clientOfFrame_.end())
            current = frame->second;
        X11WindowRecord read;
        const X11WindowRecord* facts = &read;
        if (const auto found = windows_.find(current); found != windows_.end()) {
            facts = &found->second;
        } else {
            std::array<xcb_get_property_cookie_t, 4> cookies{};
            constexpr std::array<WindowProperty, 4> kOwner{WindowProperty::pid, WindowProperty::wmClass,
                                                           WindowProperty::clientLeader,
                                                           WindowProperty::transientFor};
            for (size_t i = 0; i < kOwner.size(); ++i)
                cookies[i] = askProperty(connection_, current, atoms_.windowProperty(kOwner[i]));
            for (size_t i = 0; i < kOwner.size(); ++i)
                read.store(kOwner[i], replyTo(connection_, xcb_get_property_reply, cookies[i]).get());
        }
        if (!pid) pid = facts->pid;
        if (!wmClass) wmClass = facts->wmClass;
        if (pid && wmClass) break;
        current = facts->clientLeader != XCB_NONE && !visited.contains(facts->clientLeader)
                      ? facts->clientLeader
                      : facts->transientFor;
    }
    return RunningApplication{pid.value_or(0), wmClass};
}

std::optional<RunningApplication> X11WindowCache::focusedOwner() {
    const SigpipeBlock block;
    auto focus = replyTo(connection_, xcb_get_input_focus_reply, xcb_get_input_focus(connection_));
    constexpr xcb_window_t kPointerRoot = 1;
    if (!focus || focus->focus == XCB_NONE || focus->focus == kPointerRoot || focus->focus == root_) {
        lastFocus_ = XCB_NONE;
        return std::nullopt;
    }
    if (focus->focus == lastFocus_ && !frontDirty_) return front_;
    xcb_window_t topLevel = focus->focus;
    for (int depth = 0; depth < kDeepestFrame; ++depth) {
        auto tree = replyTo(connection_, xcb_query_tree_reply, xcb_query_tree(connection_, topLevel));
        if (!tree || tree->parent == root_ || tree->parent == XCB_NONE) break;
        topLevel = tree->parent;
    }
    std::optional<RunningApplication> owner = ownerOf(topLevel);
    if (owner && owner->pid == 0 && !owner->bundleID) owner = ownerOf(focus->focus);
    lastFocus_ = focus->focus;
    front_ = owner;
    frontDirty_ = false;
    return owner;
}

void X11WindowCache::dropConnection() {
    xcb_disconnect(connection_);
    connection_ = nullptr;
    windows_.clear();
    clientOfFrame_.clear();
    stacking_.clear();
    front_.reset();
}

}  // namespace plimsa::x11
