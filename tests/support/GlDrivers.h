#pragma once

#include <dlfcn.h>
#include <link.h>

#include <cstring>

namespace plimsa::testing {

/// Mesa's GLX driver is unloaded when the display closes, taking the only pointers to what it still holds
/// with it; kept loaded, the leak checker sees that memory as reachable, as it is. Call before a Qt
/// application that drew with OpenGL on X ends.
inline void keepGlDriversLoaded() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (info->dlpi_name != nullptr && std::strstr(info->dlpi_name, "_dri.so") != nullptr)
                dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

}  // namespace plimsa::testing
