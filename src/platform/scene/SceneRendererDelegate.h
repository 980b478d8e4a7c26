#pragma once

namespace plimsa {

/// The per-frame hook of a scene view or snapshot renderer (SceneKit's renderer:updateAtTime:). The
/// renderer calls `updateAtTime` once per frame, before it evaluates transforms and draws, on the thread
/// that renders the scene; the delegate poses its scene there. `time` is monotonic seconds since the view
/// started (a snapshot passes the time it was asked for). Views hold their delegate weakly
/// (std::weak_ptr) and skip the call once it is gone.
class SceneRendererDelegate {
  public:
    virtual ~SceneRendererDelegate() = default;
    virtual void updateAtTime(double time) = 0;
};

}  // namespace plimsa
