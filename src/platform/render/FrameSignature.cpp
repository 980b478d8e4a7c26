#include "platform/render/FrameSignature.h"

#include "platform/render/DrawList.h"
#include "platform/scene/Camera.h"
#include "platform/scene/Geometry.h"
#include "platform/scene/Material.h"
#include "platform/scene/Node.h"
#include "platform/scene/Scene.h"
#include "platform/scene/Texture.h"

#include <algorithm>
#include <bit>
#include <optional>

namespace plimsa {
namespace {

// Floats are kept as their bits: an exact record, and NaN equals itself.
struct Writer {
    std::vector<uint32_t>& words;

    void put(uint32_t value) { words.push_back(value); }
    void put(uint64_t value) {
        words.push_back(static_cast<uint32_t>(value));
        words.push_back(static_cast<uint32_t>(value >> 32));
    }
    void put(int value) { put(static_cast<uint32_t>(value)); }
    void put(bool value) { put(value ? 1u : 0u); }
    void put(float value) { put(std::bit_cast<uint32_t>(value)); }
    template <int N>
    void put(const glm::vec<N, float>& v) {
        for (int i = 0; i < N; ++i) put(v[i]);
    }
    void put(const glm::mat4& m) {
        for (int column = 0; column < 4; ++column) put(m[column]);
    }

    // Identity and revision cover every setting; the textures' own revisions are not in the material's.
    void put(const Material& material) {
        put(material.identity());
        put(material.revision());
        for (const MaterialProperty* property :
             {&material.diffuse(), &material.normal(), &material.multiply(), &material.emission()}) {
            const std::shared_ptr<Texture>& image = property->image;
            put(image ? image->identity() : uint64_t{0});
            put(image ? image->revision() : uint64_t{0});
        }
    }

    void put(const DrawItem& item) {
        put(item.geometry->identity());
        put(item.geometry->revision());
        put(item.element);
        put(*item.material);
        put(item.model);
        put(item.jointOffset);
        put(item.jointCount);
    }
};

}  // namespace

FrameSignature FrameSignature::of(const Scene& scene, const Node& pointOfView, int width, int height,
                                  int samples) {
    return of(scene, pointOfView, width, height, Antialiasing{samples, false});
}

FrameSignature FrameSignature::of(const Scene& scene, const Node& pointOfView, int width, int height,
                                  Antialiasing antialiasing) {
    return of(DrawList::gather(scene, pointOfView.worldTransform()), scene, pointOfView, width, height,
              antialiasing);
}

FrameSignature FrameSignature::of(const DrawList& list, const Scene& scene, const Node& pointOfView,
                                  int width, int height, Antialiasing antialiasing) {
    FrameSignature signature;
    Writer out{signature.words_};
    out.put(width);
    out.put(height);
    out.put(antialiasing.samples);
    out.put(antialiasing.smoothEdges);
    out.put(scene.backgroundColor());
    out.put(pointOfView.worldTransform());
    const Camera camera = pointOfView.camera() ? *pointOfView.camera() : Camera();
    out.put(camera.projectionTransform(static_cast<float>(width) / static_cast<float>(std::max(height, 1))));
    out.put(list.ambient);
    out.put(list.directionalLights.size());
    for (const DirectionalLight& light : list.directionalLights) {
        out.put(light.direction);
        out.put(light.radiance);
    }
    const std::optional<SkyDescription>& sky = scene.lightingEnvironment();
    out.put(sky.has_value());
    if (sky) {
        out.put(sky->halfFloatChannels);
        out.put(sky->faceSize);
        out.put(sky->turbidity);
        out.put(sky->sunElevation);
        out.put(sky->upperAtmosphereScattering);
        out.put(sky->groundAlbedo);
    }
    out.put(scene.lightingEnvironmentIntensity());
    for (const std::vector<DrawItem>* items : {&list.opaque, &list.blended}) {
        out.put(items->size());
        for (const DrawItem& item : *items) out.put(item);
    }
    out.put(list.jointMatrices.size());
    for (const glm::mat4& matrix : list.jointMatrices) out.put(matrix);
    return signature;
}

}  // namespace plimsa
