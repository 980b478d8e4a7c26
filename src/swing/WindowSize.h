#pragma once

namespace plimsa {

/// A width and height in screen points. Plain value.
struct WindowSize {
    double width = 0.0;
    double height = 0.0;

    bool operator==(const WindowSize&) const = default;
};

}  // namespace plimsa
