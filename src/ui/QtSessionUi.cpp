#include "ui/QtSessionUi.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QThread>
#include <QUrl>

#include "ui/CEmcTestDlg.h"
#include "ui/CHomeView.h"
#include "ui/CLensHistoryView.h"
#include "ui/CMainDialogBar.h"
#include "ui/CMainFrame.h"
#include "ui/CMessageDlg.h"
#include "ui/WebPages.h"
#include "ui/screens/HomeVersionText.h"
#include "ui/WorkerDialog.h"

namespace cbx::ui {

QtSessionUi::QtSessionUi() : texts_(&EmptyTextTable()) {}

bool QtSessionUi::OnUiThread() const { return QThread::currentThread() == qApp->thread(); }

int QtSessionUi::AskMessage(int kind, const std::string& text) {
  if (!OnUiThread()) {
    // A worker asks (the download retry): the question is shown by the user-interface thread.
    int answer = kResultClosed;
    QMetaObject::invokeMethod(
        this, [&] { answer = AskMessage(kind, text); }, Qt::BlockingQueuedConnection);
    return answer;
  }
  QWidget* parent = frame_;
  // The version lines of kinds 50 and 206 are written as the home screens write them.
  std::string message = text;
  if (state_ != nullptr) {
    const int mount = state_->shownDevice.mountCode;
    if (kind == 50) message = LensHomeVersion(message, mount);
    if (kind == 206) message = MountHomeVersion(message, mount);
  }
  const std::string document = state_ != nullptr ? state_->currentDevice.docLocalPath : std::string();
  CMessageDlg dialog(*texts_, kind, QString::fromStdString(message), parent, [document] {
    if (!document.empty()) QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(document)));
  });
  open_.push_back(&dialog);
  if (onMessageShown) onMessageShown(&dialog);
  const int result = dialog.exec();
  open_.erase(std::find(open_.begin(), open_.end(), &dialog));
  return result;
}

CMessageDlg* QtSessionUi::OpenDialog(int publishedKind) const {
  for (auto it = open_.rbegin(); it != open_.rend(); ++it)
    if ((*it)->Kind() == publishedKind) return *it;
  return open_.empty() ? nullptr : open_.back();
}

void QtSessionUi::EndMessage(bool withOk) {
  if (state_ == nullptr) return;
  if (CMessageDlg* dialog = OpenDialog(state_->openMessageDialog)) dialog->EndFromOutside(withOk);
}

void QtSessionUi::EndWaitMessage() {
  if (state_ == nullptr) return;
  if (CMessageDlg* dialog = OpenDialog(state_->openWaitDialog)) dialog->EndFromOutside(true);
}

void QtSessionUi::HideUpdateCheckWindow() {
  QMetaObject::invokeMethod(this, [this] {
    if (check_ != nullptr) check_->hide();
  });
}

int QtSessionUi::RunUpdateCheck(int waitMessageKind, const std::function<int()>& check) {
  CUpdateCheckDialog dialog(*texts_, waitMessageKind, frame_);
  check_ = &dialog;
  const int result = dialog.Run(check);
  check_ = nullptr;
  return result;
}

int QtSessionUi::RunTransfer(int transferType, const std::function<int()>& transfer) {
  CProgressDialog dialog(*texts_, transferType, frame_);
  progress_ = &dialog;
  const int result = dialog.Run(transfer);
  progress_ = nullptr;
  return result;
}

int QtSessionUi::RunEmcTest(EmcControl& control, const std::function<int()>& loop) {
  CEmcTestDlg dialog(*texts_, control, frame_);
  if (onEmcTestShown) onEmcTestShown(&dialog);
  return dialog.RunLoop(loop);
}

void QtSessionUi::TransferProgressed(int, int min, int max, int position) {
  // From the worker: the dialog pointer is set before the worker starts and cleared after it ends.
  if (CProgressDialog* dialog = progress_) dialog->Progressed(min, max, position);
}

std::optional<std::string> QtSessionUi::ChooseHistoryFile(bool forExport) {
  const QString filter = QStringLiteral("History (*.hist)");
  const QString path = forExport ? QFileDialog::getSaveFileName(frame_, QString(), QString(), filter)
                                 : QFileDialog::getOpenFileName(frame_, QString(), QString(), filter);
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

void QtSessionUi::HistoryImported() {
  RefreshHistoryList();
  ShowScreen(-1);
}

void QtSessionUi::ShowScreen(int screen) {
  if (frame_ != nullptr) frame_->HomeView()->ShowScreen(screen);
}

void QtSessionUi::HomeMessage(std::uint32_t message, bool updateAllowed, bool customAllowed) {
  if (frame_ != nullptr) frame_->HomeView()->HomeMessage(message, updateAllowed, customAllowed);
}

void QtSessionUi::RefreshHistoryList() {
  if (frame_ != nullptr) frame_->HistoryView()->Fill();
}

void QtSessionUi::MarkConnectedDevice(int index, bool) {
  if (frame_ != nullptr) frame_->HistoryView()->MarkConnected(index);
}

void QtSessionUi::ClosePreferenceDialog() {
  if (preference_ != nullptr) preference_->accept();
}

void QtSessionUi::SetDeviceTitle(const std::string& title, bool highlighted) {
  if (frame_ != nullptr) frame_->TopBar()->SetTitle(QString::fromStdString(title), highlighted);
}

void QtSessionUi::SetConnectionLamp(bool on) {
  if (frame_ != nullptr) frame_->TopBar()->SetDockConnected(on);
}

void QtSessionUi::OpenProgramWebPage() {
  QDesktopServices::openUrl(QUrl(QString::fromUtf8(state_ != nullptr && state_->uiLanguage == 1 ? kProgramPageJapanese : kProgramPageEnglish)));
}

}  // namespace cbx::ui
