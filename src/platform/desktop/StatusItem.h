#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/desktop/DesktopGeometry.h"

namespace plimsa {

struct Image;

/// One entry of the status item's menu.
struct StatusMenuItem {
    std::string title;
    /// A single key ("," or "p"); shown with the platform's command modifier. Empty: none.
    std::string key;
    std::function<void()> action;
    bool separator = false;
    bool visible = true;
    /// A check-mark item (such as "Start at login"); `checked` is its state.
    bool checkable = false;
    bool checked = false;
};

/// The app's icon in the system tray (the status bar) and its menu. Main thread only.
class StatusItem {
  public:
    virtual ~StatusItem() = default;

    /// Whether a tray host shows the item (without one the app runs on, menu-less).
    virtual bool isShown() const = 0;
    /// The icon: only its alpha counts; the tray tints it for light and dark panels.
    virtual void setTemplateImage(const Image& image) = 0;
    /// Appends an item; returns its index for the setters below.
    virtual int addItem(StatusMenuItem item) = 0;
    virtual void setTitle(int index, const std::string& title) = 0;
    virtual void setVisible(int index, bool visible) = 0;
    virtual void setChecked(int index, bool checked) = 0;
    /// The item's frame on screen (points, origin bottom left of the primary screen), when known.
    virtual std::optional<DesktopRect> frame() const = 0;
};

}  // namespace plimsa
