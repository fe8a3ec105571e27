// The session's front end in the window: questions as CMessageDlg run modally (their nested
// loop keeps device events flowing), checks and transfers behind their dialogs on worker
// threads, screens, title and lamp in the main frame. Calls from worker threads are carried
// over to the user-interface thread.
#pragma once

#include <QObject>
#include <functional>
#include <vector>

#include "app/TextResources.h"
#include "update/AppState.h"
#include "update/SessionUi.h"

class QDialog;

namespace cbx::ui {

class CEmcTestDlg;
class CMainFrame;
class CMessageDlg;
class CProgressDialog;
class CUpdateCheckDialog;

class QtSessionUi : public QObject, public SessionUi {
  Q_OBJECT
 public:
  QtSessionUi();
  // The run's state and texts, once it has started.
  void SetSession(AppState& state, const TextTable& texts) {
    state_ = &state;
    texts_ = &texts;
  }
  void SetFrame(CMainFrame* frame) { frame_ = frame; }
  // Told of every message dialog as it opens (tests answer them).
  std::function<void(CMessageDlg*)> onMessageShown;

  int AskMessage(int kind, const std::string& text = {}) override;
  void HideUpdateCheckWindow() override;
  std::optional<std::string> ChooseHistoryFile(bool forExport) override;
  void HistoryImported() override;
  void EndMessage(bool withOk) override;
  void EndWaitMessage() override;
  int RunUpdateCheck(int waitMessageKind, const std::function<int()>& check) override;
  int RunTransfer(int transferType, const std::function<int()>& transfer) override;
  void TransferProgressed(int transferType, int min, int max, int position) override;
  int RunEmcTest(EmcControl& control, const std::function<int()>& loop) override;
  // Told of the EMC test dialog as it opens (tests press its cancel button).
  std::function<void(CEmcTestDlg*)> onEmcTestShown;
  void ShowScreen(int screen) override;
  void HomeMessage(std::uint32_t message, bool updateAllowed, bool customAllowed) override;
  void RefreshHistoryList() override;
  void MarkConnectedDevice(int index, bool added) override;
  void ClosePreferenceDialog() override;
  // The dock-information dialog while it is open.
  void SetPreferenceDialog(QDialog* dialog) { preference_ = dialog; }
  void SetDeviceTitle(const std::string& title, bool highlighted) override;
  void SetConnectionLamp(bool on) override;
  void OpenProgramWebPage() override;

 private:
  bool OnUiThread() const;
  CMessageDlg* OpenDialog(int publishedKind) const;

  AppState* state_ = nullptr;
  const TextTable* texts_;
  CMainFrame* frame_ = nullptr;
  std::vector<CMessageDlg*> open_;
  CProgressDialog* progress_ = nullptr;
  CUpdateCheckDialog* check_ = nullptr;
  QDialog* preference_ = nullptr;
};

}  // namespace cbx::ui
