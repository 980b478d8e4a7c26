#pragma once

#include <memory>
#include <vector>

#include "platform/desktop/StatusItem.h"

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace plimsa {

/// The tray icon (QSystemTrayIcon) and its menu (QMenu). The template image's shape is drawn in the
/// palette's text colour with a thin outline of the window colour, so it reads on light and dark panels.
/// Keys show as Ctrl+<key>. Needs a QApplication; GUI thread only.
class QtStatusItem final : public StatusItem {
  public:
    QtStatusItem();
    ~QtStatusItem() override;

    bool isShown() const override;
    void setTemplateImage(const Image& image) override;
    int addItem(StatusMenuItem item) override;
    void setTitle(int index, const std::string& title) override;
    void setVisible(int index, bool visible) override;
    void setChecked(int index, bool checked) override;
    std::optional<DesktopRect> frame() const override;

    QMenu& menu() { return *menu_; }

  private:
    QAction* action(int index) const;

    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    std::vector<QAction*> actions_;
};

}  // namespace plimsa
