// A modal dialog that runs one piece of device or network work on a worker thread of its
// own and ends with the work's result code; the user interface stays alive meanwhile.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "ui/CDialogBase.h"
#include "ui/Theme.h"

namespace cbx::ui {

class CProgressBarBase;

class WorkerDialog : public CDialogBase {
  Q_OBJECT
 public:
  WorkerDialog(const QString& title, QWidget* parent);
  ~WorkerDialog() override;

  // Starts `work` on the worker thread, runs the modal loop and returns the result; the
  // thread is joined before this returns.
  int Run(const std::function<int()>& work);
  bool IsRunning() const { return running_; }

 protected:
  // How long the result stays in view before the dialog closes.
  virtual int ClosingDelayMs() const { return 0; }
  void reject() override {}  // only the work ends it
  void paintEvent(QPaintEvent*) override;
  // What the dialog waits for.
  TextItem message_;

 private:
  std::thread worker_;
  std::atomic<bool> running_{false};
};

// The progress dialog of a transfer type.
class CProgressDialog : public WorkerDialog {
  Q_OBJECT
 public:
  CProgressDialog(const TextTable& texts, int transferType, QWidget* parent);
  // From any thread: the transfer's progress.
  void Progressed(int min, int max, int position);
  const CProgressBarBase* Bar() const { return bar_; }

 private:
  CProgressBarBase* bar_;
};

// The waiting message of an update check; it stays a moment after the result.
class CUpdateCheckDialog : public WorkerDialog {
  Q_OBJECT
 public:
  CUpdateCheckDialog(const TextTable& texts, int waitMessageKind, QWidget* parent);
  static void SetClosingDelayMs(int ms) { closingDelayMs_ = ms; }

 protected:
  int ClosingDelayMs() const override { return closingDelayMs_; }

 private:
  static inline std::atomic<int> closingDelayMs_{1000};
};

}  // namespace cbx::ui
