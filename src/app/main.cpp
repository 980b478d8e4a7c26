#include <cstdio>
#include <cstring>

#include "app/Version.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("plimsa %s\n", plimsa::kVersion);
            return 0;
        }
    }
    std::printf("plimsa %s\n", plimsa::kVersion);
    std::printf("Built so far: configuration records and the settings store. "
                "The snapshot mode and the desktop app are not built yet.\n");
    return 0;
}
