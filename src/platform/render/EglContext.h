#pragma once

#include <memory>
#include <string>

namespace plimsa {

/// An offscreen OpenGL 3.3 core context on EGL's surfaceless platform: needs no display server (Mesa's
/// llvmpipe renders when there is no GPU). It has no default framebuffer; draw into framebuffer objects.
///
/// Thread: a context is current on at most one thread at a time. Create one per thread that renders;
/// `create` makes the new context current on the calling thread. Destroying it releases it from the
/// calling thread if it is current there.
class EglContext {
public:
    /// A new context current on this thread, or nullptr when EGL, the surfaceless platform or a 3.3 core
    /// context is unavailable (`error`, when given, then says why).
    static std::unique_ptr<EglContext> create(std::string* error = nullptr);

    ~EglContext();
    EglContext(const EglContext&) = delete;
    EglContext& operator=(const EglContext&) = delete;

    /// Makes this context current on the calling thread (binding the OpenGL API for this thread first).
    /// False when EGL refuses, e.g. because the context is current on another thread.
    bool makeCurrent();
    /// Makes no context current on the calling thread.
    void release();
    bool isCurrent() const;

    /// The largest multisample count for colour render buffers (at least 1).
    int maxSamples() const { return maxSamples_; }

private:
    EglContext(void* display, void* context);

    void* display_ = nullptr;
    void* context_ = nullptr;
    int maxSamples_ = 1;
};

}  // namespace plimsa
