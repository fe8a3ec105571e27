// The main window: the top bar, the history list and the screen area side by side, the
// bottom bar and the menu. Device events arrive here and go to the session controller.
#pragma once

#include <QMainWindow>
#include <memory>

#include "session/SessionRun.h"
#include "ui/screens/ScreenContext.h"

namespace cbx::ui {

class CHomeView;
class CLensHistoryView;
class CMainDialogBar;
class CMainDialogBarBottom;
class QtSessionUi;

class CMainFrame : public QMainWindow {
  Q_OBJECT
 public:
  static constexpr int kClientWidth = 912, kClientHeight = 555;

  CMainFrame(session::SessionRun& run, QtSessionUi& ui);
  ~CMainFrame() override;

  CHomeView* HomeView() const { return home_; }
  CLensHistoryView* HistoryView() const { return history_; }
  CMainDialogBar* TopBar() const { return top_; }
  QAction* DockInformationAction() const { return dockInfo_; }
  QAction* ImportAction() const { return import_; }
  // The enable rules of the File menu (run as the menu opens).
  void RefreshMenu() { UpdateMenu(); }
  session::SessionRun& Run() { return run_; }

 protected:
  bool event(QEvent* e) override;
  // Not while a sequence holds the device or a dialog waits for an answer: closing then
  // would cut a transfer short.
  void closeEvent(QCloseEvent* e) override;

 private:
  void BuildMenu();
  // Enables the menu items by the device link's state, as the menu opens.
  void UpdateMenu();
  void OpenDockInformation();
  static QString ManualPath();

  session::SessionRun& run_;
  QtSessionUi& ui_;
  std::unique_ptr<ScreenContext> context_;
  CMainDialogBar* top_ = nullptr;
  CMainDialogBarBottom* bottom_ = nullptr;
  class CMainBaseView* view_ = nullptr;
  CLensHistoryView* history_ = nullptr;
  CHomeView* home_ = nullptr;
  QMenu* fileMenu_ = nullptr;
  QAction* dockInfo_ = nullptr;
  QAction* import_ = nullptr;
  QAction* export_ = nullptr;
  QAction* manual_ = nullptr;
};

}  // namespace cbx::ui
