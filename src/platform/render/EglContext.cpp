#include "platform/render/EglContext.h"

#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include <mutex>

namespace plimsa {
namespace {

// The display is initialised once per process and never terminated: eglTerminate would invalidate the
// contexts of every other thread.
struct SharedDisplay {
    EGLDisplay display = EGL_NO_DISPLAY;
    std::string error;
};

SharedDisplay openDisplay() {
    SharedDisplay result;
    if (!epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_MESA_platform_surfaceless")) {
        result.error = "EGL_MESA_platform_surfaceless is not available";
        return result;
    }
    EGLDisplay display = eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) {
        result.error = "no surfaceless EGL display";
        return result;
    }
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor)) {
        result.error = "eglInitialize failed";
        return result;
    }
    result.display = display;
    return result;
}

const SharedDisplay& sharedDisplay() {
    static const SharedDisplay display = openDisplay();
    return display;
}

bool fail(std::string* error, std::string message) {
    if (error) *error = std::move(message);
    return false;
}

}  // namespace

std::unique_ptr<EglContext> EglContext::create(std::string* error) {
    const SharedDisplay& shared = sharedDisplay();
    if (shared.display == EGL_NO_DISPLAY) {
        fail(error, shared.error);
        return nullptr;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        fail(error, "eglBindAPI(EGL_OPENGL_API) failed");
        return nullptr;
    }
    const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, 0, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(shared.display, configAttributes, &config, 1, &count) || count < 1) {
        fail(error, "no EGL config for desktop OpenGL without surfaces");
        return nullptr;
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                        EGL_NONE};
    EGLContext context = eglCreateContext(shared.display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) {
        fail(error, "eglCreateContext for OpenGL 3.3 core failed");
        return nullptr;
    }
    std::unique_ptr<EglContext> result(new EglContext(shared.display, context));
    if (!result->makeCurrent()) {
        fail(error, "eglMakeCurrent failed");
        return nullptr;
    }
    GLint samples = 1;
    glGetIntegerv(GL_MAX_SAMPLES, &samples);
    result->maxSamples_ = samples > 1 ? samples : 1;
    return result;
}

EglContext::EglContext(void* display, void* context) : display_(display), context_(context) {}

EglContext::~EglContext() {
    if (isCurrent()) release();
    eglDestroyContext(static_cast<EGLDisplay>(display_), static_cast<EGLContext>(context_));
}

bool EglContext::makeCurrent() {
    // The bound API is per thread: a worker thread that never called eglBindAPI would get OpenGL ES.
    if (!eglBindAPI(EGL_OPENGL_API)) return false;
    return eglMakeCurrent(static_cast<EGLDisplay>(display_), EGL_NO_SURFACE, EGL_NO_SURFACE,
                          static_cast<EGLContext>(context_)) == EGL_TRUE;
}

void EglContext::release() {
    eglMakeCurrent(static_cast<EGLDisplay>(display_), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

bool EglContext::isCurrent() const { return eglGetCurrentContext() == static_cast<EGLContext>(context_); }

}  // namespace plimsa
