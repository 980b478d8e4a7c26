#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

namespace plimsa::testing {

/// True when a missing offscreen OpenGL context must fail the tests that need one instead of skipping
/// them. CI sets PLIMSA_REQUIRE_RENDERER=1 so that a green run always includes rendering.
inline bool rendererRequired() {
    const char* value = std::getenv("PLIMSA_REQUIRE_RENDERER");
    return value != nullptr && std::string_view(value) == "1";
}

}  // namespace plimsa::testing

/// Skips the current test when no renderer could be made, or fails it where a renderer is required.
#define PLIMSA_SKIP_WITHOUT_RENDERER(available, why)                                       \
    do {                                                                                   \
        if (!(available)) {                                                                \
            if (::plimsa::testing::rendererRequired()) FAIL() << "no renderer: " << (why); \
            GTEST_SKIP() << "no renderer: " << (why);                                      \
        }                                                                                  \
    } while (false)
