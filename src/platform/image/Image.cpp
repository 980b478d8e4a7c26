#include "platform/image/Image.h"

namespace plimsa {

Image::Image(int width, int height, bool premultiplied)
    : width(width > 0 ? width : 0),
      height(height > 0 ? height : 0),
      premultiplied(premultiplied),
      pixels(static_cast<size_t>(this->width) * this->height * 4, 0) {}

}  // namespace plimsa
