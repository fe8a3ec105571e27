#include "ui/CHomeView.h"

#include "dock/EventSink.h"
#include "ui/screens/CCustomScreen.h"
#include "ui/screens/CCstmAFFocusDialog.h"
#include "ui/screens/CCstmAFFunctionSetDialog.h"
#include "ui/screens/CCstmChoiceDialog.h"
#include "ui/screens/CCstmFocusLimitterDialog.h"
#include "ui/screens/CCstmMSSensDialog.h"
#include "ui/screens/CCstmMainDialog.h"
#include "ui/screens/CCstmManualDialog.h"
#include "ui/screens/CCstmSelDetailsDialog.h"
#include "ui/screens/CCstmSelModeDialog.h"
#include "ui/screens/CFlashMainDialog.h"
#include "ui/screens/CHomeMainDialog.h"
#include "ui/screens/CHomeStartDialog.h"
#include "ui/screens/CMountMainDialog.h"

namespace cbx::ui {

CHomeView::CHomeView(ScreenContext& context, QWidget* parent) : QWidget(parent), context_(context) {
  setFixedSize(CControlAreaBaseDialog::kWidth, CControlAreaBaseDialog::kHeight);
  // The list order: start, lens home, 1 to 8, mount home, flash home, 11 to 13.
  screens_ = {new CHomeStartDialog(context, this),
              new CHomeMainDialog(context, this),
              new CCstmMainDialog(context, this),
              new CCstmAFFocusDialog(context, this),
              new CCstmSelModeDialog(context, this),
              new CCstmSelDetailsDialog(context, this),
              new CCstmAFSpeedDialog(context, this),
              new CCstmFocusLimitterDialog(context, this),
              new CCstmOSDialog(context, this),
              new CCstmManualDialog(context, this),
              new CMountMainDialog(context, this),
              new CFlashMainDialog(context, this),
              new CCstmAFFunctionSetDialog(context, this),
              new CCstmMSSensDialog(context, this),
              new CCstmSelMFSensDialog(context, this)};
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
      try {
        screen->Refresh();
      } catch (const lens::LensModelArgumentError&) {
        // Product information without a place for a record: the screen shows what it has.
      }
      screen->show();
    } else {
      screen->hide();
    }
  }
  if (shown != nullptr && !same) shown->repaint();
  if (screenId == -1 && onStartScreen) onStartScreen();
  // An EMC test that did not end cleanly starts again whenever its menu comes back.
  const AppState& st = context_.state;
  if (screenId == lens::kScreenCustomMenu && st.emcRunning && st.emcTestEnabled && st.currentDevice.FocusCtrl != 0) {
    context_.controller.EmcTest();
  }
}

bool CHomeView::LeaveShownScreen() {
  auto* screen = dynamic_cast<CCustomScreen*>(Screen(current_));
  if (screen == nullptr || !context_.controller.IsCurrentDeviceShown()) return true;
  try {
    if (!screen->MayLeave()) return false;
    screen->DropEdits();
  } catch (const lens::LensModelArgumentError&) {
  }
  return true;
}

void CHomeView::HomeMessage(std::uint32_t message, bool updateAllowed, bool customAllowed) {
  const int id = message == UM_LENS_HOME ? 0 : message == UM_MOUNT_HOME ? 9 : message == UM_FLASH_HOME ? 10 : -2;
  if (auto* home = dynamic_cast<CDeviceHomeBase*>(Screen(id))) home->OnHomeMessage(updateAllowed, customAllowed);
}

}  // namespace cbx::ui
