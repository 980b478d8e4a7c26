#include "platform/scene/Texture.h"

#include "platform/scene/SceneObjectIdentity.h"

namespace plimsa {

std::shared_ptr<Texture> Texture::make(Image image, std::string name) {
    return std::make_shared<Texture>(std::move(image), std::move(name));
}

Texture::Texture(Image image, std::string name)
    : image_(std::move(image)), name_(std::move(name)), identity_(nextSceneObjectIdentity()) {}

void Texture::setImage(Image image) {
    image_ = std::move(image);
    transparencyKnown_ = -1;
    ++revision_;
}

bool Texture::hasTransparency() const {
    if (transparencyKnown_ < 0) {
        transparencyKnown_ = 0;
        const size_t pixelBytes = static_cast<size_t>(image_.width > 0 ? image_.width : 0) *
                                  static_cast<size_t>(image_.height > 0 ? image_.height : 0) * 4;
        const size_t end = pixelBytes < image_.pixels.size() ? pixelBytes : image_.pixels.size();
        for (size_t i = 3; i < end; i += 4) {
            if (image_.pixels[i] != 255) {
                transparencyKnown_ = 1;
                break;
            }
        }
    }
    return transparencyKnown_ == 1;
}

}  // namespace plimsa
