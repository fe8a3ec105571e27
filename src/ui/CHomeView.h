// The screen area: fifteen screens created once, exactly one shown at a time.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "ui/screens/CControlAreaBaseDialog.h"

namespace cbx::ui {

class CDeviceHomeBase;

class CHomeView : public QWidget {
  Q_OBJECT
 public:
  CHomeView(ScreenContext& context, QWidget* parent);
  // UM_SHOW_SCREEN: refreshes and shows the screen with this id, hides the others.
  void ShowScreen(int screenId);
  // UM_LENS_HOME, UM_MOUNT_HOME, UM_FLASH_HOME.
  void HomeMessage(std::uint32_t message, bool updateAllowed, bool customAllowed);
  int CurrentScreen() const { return current_; }
  // The unsaved-change question of the customisation screen shown, for leaving it another
  // way than its Back button (closing the window, picking a history entry): true when it
  // may be left, its edits then dropped.
  bool LeaveShownScreen();
  CControlAreaBaseDialog* Screen(int screenId) const;
  // Told after every switch to the start screen (the title goes empty).
  std::function<void()> onStartScreen;

 private:
  ScreenContext& context_;
  std::vector<CControlAreaBaseDialog*> screens_;
  int current_ = -1;
};

}  // namespace cbx::ui
