#pragma once

#include <string_view>

namespace plimsa {

/// Short-lived system surfaces that come to the front without being the application the user works in:
/// notification centres and daemons, launchers and search bars, docks, panels and task bars, desktop
/// shells and widgets, on-screen keyboards, screen lockers and log-in windows. While one of them is in
/// front, window-attached swings stay on the window they were on. The one table of them lives here.
namespace TransientApplications {

/// Whether `identifier` (a bundle identifier, or on X11 a WM_CLASS class) names such a surface. Compared
/// without regard to ASCII case, since window classes come capitalised in various ways. Any thread.
bool contains(std::string_view identifier);

}  // namespace TransientApplications

}  // namespace plimsa
