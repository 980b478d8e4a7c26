#include "app/TransientApplications.h"

#include <algorithm>
#include <array>

namespace plimsa {

namespace {

// Drop-down terminals (yakuake, guake, tilda) are left out on purpose: people type in them, so their
// window is the one the user works in.
constexpr std::array<std::string_view, 71> kIdentifiers{
    // macOS
    "com.apple.UserNotificationCenter", "com.apple.notificationcenterui", "com.apple.controlcenter",
    "com.apple.Spotlight", "com.apple.dock", "com.apple.loginwindow",
    // Desktop shells and the desktop itself
    "gnome-shell", "plasmashell", "plasma-desktop", "cinnamon", "xfdesktop", "nautilus-desktop",
    "nemo-desktop", "desktop_window", "gnome-flashback",
    // Panels, task bars and status bars
    "xfce4-panel", "budgie-panel", "mate-panel", "gnome-panel", "lxpanel", "lxqt-panel", "tint2", "polybar",
    "lemonbar", "xmobar", "dzen", "dzen2", "trayer", "stalonetray", "wingpanel", "vala-panel",
    // Docks
    "plank", "docky", "cairo-dock", "latte-dock", "avant-window-navigator", "wbar", "dockbarx",
    // Notification daemons
    "xfce4-notifyd", "dunst", "notify-osd", "mako", "notification-daemon", "mate-notification-daemon",
    "lxqt-notificationd", "deadd-notification-center", "swaync",
    // Launchers and menus
    "rofi", "dmenu", "albert", "ulauncher", "krunner", "synapse", "kupfer", "cerebro", "xfce4-appfinder",
    "lxqt-runner", "jgmenu", "gnome-pie",
    // Widgets and on-screen keyboards
    "conky", "onboard", "florence", "squeekboard",
    // Screen lockers and log-in greeters
    "xscreensaver", "light-locker", "i3lock", "xsecurelock", "lightdm-gtk-greeter", "gnome-screensaver",
    "kscreenlocker_greet", "xfce4-screensaver"};

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

bool TransientApplications::contains(std::string_view identifier) {
    return std::any_of(kIdentifiers.begin(), kIdentifiers.end(),
                       [&](std::string_view known) { return equalIgnoringCase(known, identifier); });
}

}  // namespace plimsa
