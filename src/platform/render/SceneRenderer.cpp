#include "platform/render/SceneRenderer.h"

#include "platform/render/ColorSpace.h"
#include "platform/render/DrawList.h"
#include "platform/render/FrameSignature.h"
#include "platform/render/FrameTargets.h"
#include "platform/render/MaterialBinding.h"
#include "platform/render/MeshProgramKey.h"
#include "platform/render/ResourceCache.h"
#include "platform/render/ScreenCover.h"
#include "platform/render/ScreenRect.h"
#include "platform/render/ShaderProgram.h"
#include "platform/render/ShaderSources.h"
#include "platform/render/Sky.h"
#include "platform/render/SkyTexture.h"
#include "platform/scene/Camera.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"

#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>

namespace plimsa {
namespace {

constexpr int kMaxExtent = 8192;

SkyParameters skyParameters(const SkyDescription& description) {
    SkyParameters parameters;
    parameters.turbidity = description.turbidity;
    parameters.sunElevation = description.sunElevation;
    parameters.upperAtmosphereScattering = description.upperAtmosphereScattering;
    parameters.groundAlbedo = description.groundAlbedo;
    parameters.faceSize = description.faceSize;
    return parameters;
}

struct FrameView {
    glm::mat4 viewProjection{1.0f};
    glm::vec3 position{0.0f};
    glm::vec3 direction{0.0f, 0.0f, -1.0f};
    bool orthographic = false;
};

FrameView frameView(const Node& pointOfView, int width, int height) {
    const Camera camera = pointOfView.camera() ? *pointOfView.camera() : Camera();
    const glm::mat4& world = pointOfView.worldTransform();
    FrameView view;
    view.viewProjection = camera.projectionTransform(static_cast<float>(width) / static_cast<float>(height)) *
                          glm::inverse(world);
    view.position = glm::vec3(world[3]);
    const glm::vec3 forward = -glm::vec3(world[2]);
    if (glm::dot(forward, forward) > 0.0f) view.direction = glm::normalize(forward);
    view.orthographic = camera.usesOrthographicProjection;
    return view;
}

}  // namespace

struct SceneRenderer::Impl {
    struct Variant {
        ShaderProgram program;
        uint64_t frameUniformsSet = 0;  // the frame whose uniforms the program holds
    };

    std::unordered_map<uint32_t, Variant> variants;
    FrameTargets targets;
    ResourceCache cache;
    GlBuffer jointBuffer;
    GlTexture jointTexture;
    std::optional<SkyTexture> skyTexture;
    std::optional<SkyDescription> skyDescription;
    std::string error;
    int maxSamples = 1;
    bool valid = false;

    // The frame being drawn.
    uint64_t frame = 0;
    FrameView view;
    const DrawList* list = nullptr;
    const SkyTexture* sky = nullptr;
    float environmentIntensity = 0.0f;

    Impl() : jointBuffer(GlBuffer::generate()), jointTexture(GlTexture::generate()) {
        // Compile the plainest variants now, so that a broken driver shows at construction.
        const ShaderProgram& plain = variant(MeshProgramKey{}).program;
        const ShaderProgram& skinned = variant(MeshProgramKey{MeshProgramKey::kSkinned, 0}).program;
        error = plain.log() + skinned.log() + targets.log();
        valid = plain.isValid() && skinned.isValid() && targets.isValid();
        GLint samples = 1;
        glGetIntegerv(GL_MAX_SAMPLES, &samples);
        maxSamples = std::max(samples, 1);
    }

    bool isValid() const { return valid; }

    Variant& variant(const MeshProgramKey& key) {
        auto found = variants.find(key.bits());
        if (found != variants.end()) return found->second;
        Variant& made = variants[key.bits()];
        made.program =
            ShaderProgram::build(ShaderSources::meshVertex(), ShaderSources::meshFragment(), key.defines());
        return made;
    }

    const SkyTexture* environment(const Scene& scene) {
        const std::optional<SkyDescription>& description = scene.lightingEnvironment();
        if (!description) return nullptr;
        if (!skyTexture || skyDescription != description) {
            skyTexture.emplace(Sky::shared(skyParameters(*description)));
            skyDescription = description;
        }
        return &*skyTexture;
    }

    void uploadJoints(const std::vector<glm::mat4>& matrices) {
        if (matrices.empty()) return;
        glBindBuffer(GL_TEXTURE_BUFFER, jointBuffer.id());
        glBufferData(GL_TEXTURE_BUFFER, static_cast<GLsizeiptr>(matrices.size() * sizeof(glm::mat4)),
                     matrices.data(), GL_STREAM_DRAW);
        glActiveTexture(GL_TEXTURE0 + kJointPaletteUnit);
        glBindTexture(GL_TEXTURE_BUFFER, jointTexture.id());
        glTexBuffer(GL_TEXTURE_BUFFER, GL_RGBA32F, jointBuffer.id());
    }

    void setFrameUniforms(ShaderProgram& program) {
        glUniformMatrix4fv(program.uniform("uViewProjection"), 1, GL_FALSE,
                           glm::value_ptr(view.viewProjection));
        glUniform3fv(program.uniform("uCameraPosition"), 1, glm::value_ptr(view.position));
        glUniform3fv(program.uniform("uViewDirection"), 1, glm::value_ptr(view.direction));
        glUniform1i(program.uniform("uOrthographic"), view.orthographic ? 1 : 0);
        const GLsizei count = static_cast<GLsizei>(list->directionalLights.size());
        if (count > 0) {
            std::vector<glm::vec3> directions, radiance;
            for (const DirectionalLight& light : list->directionalLights) {
                directions.push_back(light.direction);
                radiance.push_back(light.radiance);
            }
            glUniform3fv(program.uniform("uLightDirections"), count, glm::value_ptr(directions[0]));
            glUniform3fv(program.uniform("uLightRadiance"), count, glm::value_ptr(radiance[0]));
        }
        glUniform3fv(program.uniform("uAmbient"), 1, glm::value_ptr(list->ambient));
        glUniform1i(program.uniform("uEnvironmentSpecular"), kEnvironmentUnit);
        glUniform1i(program.uniform("uJointPalette"), kJointPaletteUnit);
        if (sky) {
            glUniform3fv(program.uniform("uEnvironmentSh"), 9, glm::value_ptr(sky->diffuseCoefficients()[0]));
            glUniform1f(program.uniform("uEnvironmentMaxLod"), sky->maxLod());
            glUniform1f(program.uniform("uEnvironmentIntensity"), environmentIntensity);
        }
    }

    // The program for a draw, in use and holding this frame's uniforms; null if it failed to build.
    ShaderProgram* useProgram(uint32_t features) {
        MeshProgramKey key{features, static_cast<uint32_t>(list->directionalLights.size())};
        if (sky) key.features |= MeshProgramKey::kEnvironment;
        Variant& chosen = variant(key);
        if (!chosen.program.isValid()) return nullptr;
        chosen.program.use();
        if (chosen.frameUniformsSet != frame) {
            setFrameUniforms(chosen.program);
            chosen.frameUniformsSet = frame;
        }
        return &chosen.program;
    }

    void draw(const DrawItem& item) {
        const bool skinned = item.jointOffset >= 0;
        const GpuMesh& mesh = cache.mesh(item.geometry);
        if (skinned && !mesh.isSkinnable()) return;
        const uint32_t features = materialFeatures(*item.material, cache) |
                                  (skinned ? MeshProgramKey::kSkinned : 0u);
        ShaderProgram* chosen = useProgram(features);
        if (!chosen) return;
        ShaderProgram& program = *chosen;
        if (skinned) {
            glUniform1i(program.uniform("uJointOffset"), item.jointOffset);
            glUniform1i(program.uniform("uJointCount"), item.jointCount);
            glFrontFace(GL_CCW);
        } else {
            const glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(item.model)));
            glUniformMatrix4fv(program.uniform("uModel"), 1, GL_FALSE, glm::value_ptr(item.model));
            glUniformMatrix3fv(program.uniform("uNormalMatrix"), 1, GL_FALSE, glm::value_ptr(normalMatrix));
            // A mirroring transform turns counter-clockwise front faces clockwise.
            glFrontFace(glm::determinant(glm::mat3(item.model)) < 0.0f ? GL_CW : GL_CCW);
        }
        applyMaterial(program, *item.material, cache);
        mesh.bind();
        mesh.drawElement(item.element);
    }

    // The background as straight sRGB with alpha, cleaned of values GL cannot take.
    static glm::vec4 background(const Scene& scene) {
        glm::vec4 color = scene.backgroundColor();
        for (int i = 0; i < 4; ++i)
            color[i] = std::isfinite(color[i]) ? std::clamp(color[i], 0.0f, 1.0f) : 0.0f;
        return color;
    }

    // Clears only `drawn`: nothing outside it is drawn or presented from the frame.
    void clear(const glm::vec4& color, const ScreenRect& drawn) {
        const glm::vec3 linear = srgbToLinear(glm::vec3(color)) * color.a;
        glEnable(GL_SCISSOR_TEST);
        glScissor(drawn.x, drawn.y, drawn.width, drawn.height);
        glClearColor(linear.r, linear.g, linear.b, color.a);
        glDepthMask(GL_TRUE);
        glStencilMask(0xff);
        glClearStencil(0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    }

    Outcome render(const Scene& scene, const Node& pointOfView, const RenderTarget& target,
                   Antialiasing antialiasing, FrameSignature* lastDrawn) {
        if (!isValid() || target.width <= 0 || target.height <= 0 || target.width > kMaxExtent ||
            target.height > kMaxExtent) {
            if (lastDrawn) lastDrawn->clear();
            return Outcome::failed;
        }
        antialiasing.samples = std::clamp(antialiasing.samples, 1, maxSamples);
        const int samples = antialiasing.samples;
        const DrawList drawList = DrawList::gather(scene, pointOfView.worldTransform());
        if (lastDrawn) {
            FrameSignature signature =
                FrameSignature::of(drawList, scene, pointOfView, target.width, target.height, antialiasing);
            if (!lastDrawn->isEmpty() && signature == *lastDrawn) return Outcome::unchanged;
            *lastDrawn = std::move(signature);
        }
        if (!targets.bind(target.width, target.height, samples)) {
            if (lastDrawn) lastDrawn->clear();
            return Outcome::failed;
        }
        ++frame;
        view = frameView(pointOfView, target.width, target.height);
        list = &drawList;
        sky = environment(scene);
        const float intensity = scene.lightingEnvironmentIntensity();
        environmentIntensity = std::isfinite(intensity) ? std::max(intensity, 0.0f) : 0.0f;

        glEnable(GL_FRAMEBUFFER_SRGB);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        glCullFace(GL_BACK);
        if (samples > 1) glEnable(GL_MULTISAMPLE);
        const glm::vec4 backgroundColor = background(scene);
        const ScreenRect drawn =
            ScreenRect::covering(drawList.worldBounds, view.viewProjection, target.width, target.height);
        std::vector<ScreenRect> regions{drawn};
        if (samples == 1) {
            // Without a resolve, only the tiles each draw can touch need converting: far fewer pixels than
            // the box around everything when the frame holds a few thin things apart.
            ScreenCover cover(target.width, target.height);
            for (const std::vector<DrawItem>* items : {&drawList.opaque, &drawList.blended})
                for (const DrawItem& item : *items)
                    cover.add(ScreenRect::covering(item.worldBounds, view.viewProjection, target.width,
                                                   target.height));
            regions = cover.rects();
        }
        const bool smoothEdges = antialiasing.smoothEdges && samples == 1;
        // Edge smoothing reads around the regions it converts; what it reads must be this frame's.
        const int reach = smoothEdges ? FrameTargets::kEdgeReach : 0;
        clear(backgroundColor, ScreenRect::clipped({drawn.x - reach, drawn.y - reach, drawn.width + 2 * reach,
                                                    drawn.height + 2 * reach},
                                                   target.width, target.height));
        if (sky) {
            glActiveTexture(GL_TEXTURE0 + kEnvironmentUnit);
            glBindTexture(GL_TEXTURE_CUBE_MAP, sky->cubeMap());
            glBindSampler(kEnvironmentUnit, 0);
        }
        glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
        uploadJoints(drawList.jointMatrices);
        // Opaque surfaces overwrite; only see-through ones need the framebuffer read back for blending.
        glDisable(GL_BLEND);
        for (const DrawItem& item : drawList.opaque) draw(item);
        glEnable(GL_BLEND);
        for (const DrawItem& item : drawList.blended) draw(item);
        list = nullptr;
        glBindVertexArray(0);
        glDepthMask(GL_TRUE);
        glFrontFace(GL_CCW);
        glDisable(GL_SCISSOR_TEST);
        const glm::vec4 outside(glm::vec3(backgroundColor) * backgroundColor.a, backgroundColor.a);
        // Blended surfaces and a see-through background leave partly covered pixels to convert.
        const bool partialAlpha =
            !drawList.blended.empty() || (backgroundColor.a > 0.0f && backgroundColor.a < 1.0f);
        targets.presentInto(target.framebuffer, target.topRowFirst, drawn, regions, outside, smoothEdges,
                            partialAlpha);
        glUseProgram(0);
        cache.endFrame();
        return Outcome::drawn;
    }
};

SceneRenderer::SceneRenderer() : impl_(std::make_unique<Impl>()) {}
SceneRenderer::~SceneRenderer() = default;

bool SceneRenderer::isValid() const {
    return impl_->isValid();
}
const std::string& SceneRenderer::error() const {
    return impl_->error;
}

bool SceneRenderer::render(const Scene& scene, const Node& pointOfView, const RenderTarget& target,
                           int samples) {
    return render(scene, pointOfView, target, Antialiasing{samples, false});
}

bool SceneRenderer::render(const Scene& scene, const Node& pointOfView, const RenderTarget& target,
                           Antialiasing antialiasing) {
    return impl_->render(scene, pointOfView, target, antialiasing, nullptr) == Outcome::drawn;
}

Antialiasing SceneRenderer::overlayAntialiasing() {
    const auto* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return Antialiasing::forRenderer(name ? name : "");
}

SceneRenderer::Outcome SceneRenderer::renderIfChanged(const Scene& scene, const Node& pointOfView,
                                                      const RenderTarget& target, int samples,
                                                      FrameSignature& lastDrawn) {
    return renderIfChanged(scene, pointOfView, target, Antialiasing{samples, false}, lastDrawn);
}

SceneRenderer::Outcome SceneRenderer::renderIfChanged(const Scene& scene, const Node& pointOfView,
                                                      const RenderTarget& target, Antialiasing antialiasing,
                                                      FrameSignature& lastDrawn) {
    return impl_->render(scene, pointOfView, target, antialiasing, &lastDrawn);
}

size_t SceneRenderer::cachedGeometryCount() const {
    return impl_->cache.meshCount();
}
size_t SceneRenderer::cachedTextureCount() const {
    return impl_->cache.textureCount();
}

}  // namespace plimsa
