// libepoxy must come before any Qt OpenGL header.
#include <epoxy/gl.h>

#include "panel/quick/PortraitRenderer.h"

#include <QOpenGLContext>
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "library/PortraitScene.h"
#include "platform/render/SceneRenderer.h"
#include "platform/render/ShaderProgram.h"
#include "platform/render/ShaderSources.h"

namespace plimsa {
namespace {

// Coverage of the rounded square at this pixel; the blend multiplies the portrait by it.
constexpr const char* kMaskFragment = R"glsl(
uniform vec2 uSize;
uniform float uRadius;
out vec4 fragColor;
void main() {
    vec2 halfSize = uSize * 0.5;
    vec2 q = abs(gl_FragCoord.xy - halfSize) - (halfSize - vec2(uRadius));
    float outside = length(max(q, 0.0)) + min(max(q.x, q.y), 0.0) - uRadius;
    fragColor = vec4(clamp(0.5 - outside, 0.0, 1.0));
}
)glsl";

struct Registry {
    std::mutex mutex;
    std::map<QOpenGLContext*, std::weak_ptr<PortraitRenderer>> renderers;
    // Renderers let go of while their context was not current cannot free their GL names: kept, unused.
    std::vector<std::unique_ptr<PortraitRenderer>> orphans;
};

Registry& registry() {
    // Never destroyed: its renderers must not be freed at exit, when no context is current.
    static auto* made = new Registry;
    return *made;
}

void release(QOpenGLContext* context, PortraitRenderer* renderer) {
    Registry& all = registry();
    std::lock_guard<std::mutex> guard(all.mutex);
    auto found = all.renderers.find(context);
    if (found != all.renderers.end() && found->second.expired()) all.renderers.erase(found);
    if (QOpenGLContext::currentContext() == context)
        delete renderer;
    else
        all.orphans.emplace_back(renderer);
}

}  // namespace

struct PortraitRenderer::Mask {
    ShaderProgram program;
    GlVertexArray vertexArray = GlVertexArray::generate();
};

std::mutex& PortraitRenderer::sceneLock() {
    static std::mutex lock;
    return lock;
}

PortraitRenderer::PortraitRenderer(std::unique_ptr<SceneRenderer> scenes, std::unique_ptr<Mask> mask)
    : scenes_(std::move(scenes)), mask_(std::move(mask)) {}

PortraitRenderer::~PortraitRenderer() = default;

std::shared_ptr<PortraitRenderer> PortraitRenderer::forCurrentContext() {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    if (context == nullptr) return nullptr;
    Registry& all = registry();
    std::lock_guard<std::mutex> guard(all.mutex);
    std::weak_ptr<PortraitRenderer>& entry = all.renderers[context];
    if (auto existing = entry.lock()) return existing;

    auto scenes = std::make_unique<SceneRenderer>();
    auto mask = std::make_unique<Mask>();
    mask->program = ShaderProgram::build(ShaderSources::fullScreenVertex(), kMaskFragment);
    if (!scenes->isValid() || !mask->program.isValid()) {
        static std::once_flag said;
        std::call_once(said, [&] {
            std::fprintf(stderr, "plimsa: live portraits cannot draw: %s%s\n", scenes->error().c_str(),
                         mask->program.log().c_str());
        });
        all.renderers.erase(context);
        return nullptr;
    }
    std::shared_ptr<PortraitRenderer> made(
        new PortraitRenderer(std::move(scenes), std::move(mask)),
        [context](PortraitRenderer* renderer) { release(context, renderer); });
    entry = made;
    return made;
}

bool PortraitRenderer::draw(const PortraitScene& scene, unsigned framebuffer, int width, int height,
                            float radius) {
    // Qt Quick samples a texture with its top row first.
    const RenderTarget target{framebuffer, width, height, true};
    if (!scenes_->render(*scene.scene(), *scene.cameraNode(), target, 1)) return false;
    const float corner = std::clamp(radius, 0.0f, 0.5f * static_cast<float>(std::min(width, height)));
    if (corner <= 0.0f) return true;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, width, height);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_FRAMEBUFFER_SRGB);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_SRC_ALPHA);
    mask_->program.use();
    glUniform2f(mask_->program.uniform("uSize"), static_cast<float>(width), static_cast<float>(height));
    glUniform1f(mask_->program.uniform("uRadius"), corner);
    glBindVertexArray(mask_->vertexArray.id());
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glBindVertexArray(0);
    glUseProgram(0);
    return true;
}

}  // namespace plimsa
