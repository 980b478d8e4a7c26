#include "platform/x11/X11WindowList.h"

#include "platform/x11/X11WindowCache.h"

namespace plimsa {

std::unique_ptr<WindowList> createX11WindowList(const char* display, double devicePixelRatio) {
    return x11::X11WindowCache::connect(display, devicePixelRatio);
}

}  // namespace plimsa
