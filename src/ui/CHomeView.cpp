#include "ui/CHomeView.h"

#include "dock/EventSink.h"
#include "ui/screens/CFlashMainDialog.h"
#include "ui/screens/CHomeMainDialog.h"
#include "ui/screens/CHomeStartDialog.h"
#include "ui/screens/CMountMainDialog.h"

namespace cbx::ui {

CHomeView::CHomeView(ScreenContext& context, QWidget* parent) : QWidget(parent) {
  setFixedSize(CControlAreaBaseDialog::kWidth, CControlAreaBaseDialog::kHeight);
  const auto titled = [&](int id, const char* name) {
    return new CTitledScreen(context, id, QString::fromUtf8(name), this);
  };
  // The list order: start, lens home, 1 to 8, mount home, flash home, 11 to 13.
  screens_ = {new CHomeStartDialog(context, this),
              new CHomeMainDialog(context, this),
              titled(1, "Customise"),
              titled(2, "AF fine adjustment"),
              titled(3, "Custom mode"),
              titled(4, "Custom mode details"),
              titled(5, "AF speed"),
              titled(6, "Focus limiter"),
              titled(7, "OS mode"),
              titled(8, "Manual override"),
              new CMountMainDialog(context, this),
              new CFlashMainDialog(context, this),
              titled(11, "AF function button"),
              titled(12, "MF sensitivity"),
              titled(13, "MF sensitivity setting")};
  for (auto* screen : screens_) screen->move(0, 0);
  ShowScreen(-1);
}

CControlAreaBaseDialog* CHomeView::Screen(int screenId) const {
  for (auto* screen : screens_)
    if (screen->ScreenId() == screenId) return screen;
  return nullptr;
}

void CHomeView::ShowScreen(int screenId) {
  const bool same = screenId == current_;
  current_ = screenId;
  CControlAreaBaseDialog* shown = nullptr;
  for (auto* screen : screens_) {
    if (shown == nullptr && screen->ScreenId() == screenId) {
      shown = screen;
      screen->Refresh();
      screen->show();
    } else {
      screen->hide();
    }
  }
  if (shown != nullptr && !same) shown->repaint();
  if (screenId == -1 && onStartScreen) onStartScreen();
}

void CHomeView::HomeMessage(std::uint32_t message, bool updateAllowed, bool customAllowed) {
  const int id = message == UM_LENS_HOME ? 0 : message == UM_MOUNT_HOME ? 9 : message == UM_FLASH_HOME ? 10 : -2;
  if (auto* home = dynamic_cast<CDeviceHomeBase*>(Screen(id))) home->OnHomeMessage(updateAllowed, customAllowed);
}

}  // namespace cbx::ui
