// The EMC test dialog: the title, the loop's status text and progress, and a cancel button
// that asks the loop to stop after its current step. Only the loop's result ends it.
#pragma once

#include "app/TextResources.h"
#include "ui/WorkerDialog.h"
#include "update/EmcControl.h"

namespace cbx::ui {

class CBasicButton;
class CProgressBarBase;
class CStaticBase;

class CEmcTestDlg : public WorkerDialog {
  Q_OBJECT
 public:
  CEmcTestDlg(const TextTable& texts, EmcControl& control, QWidget* parent);
  ~CEmcTestDlg() override;

  // Runs the loop on the worker thread until it returns; its result is the dialog's.
  int RunLoop(const std::function<int()>& loop);

  QString StatusText() const;
  CBasicButton* CancelButton() const { return cancel_; }
  const CProgressBarBase* Bar() const { return bar_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  EmcControl& control_;
  TextItem title_;
  CStaticBase* status_;
  CProgressBarBase* bar_;
  CBasicButton* cancel_;
};

}  // namespace cbx::ui
