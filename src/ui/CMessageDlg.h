// Every message and question of the program: one modal dialog whose contents and buttons
// come from its message kind. The session may end it from outside while it runs.
#pragma once

#include <functional>

#include "app/TextResources.h"
#include "ui/CDialogBase.h"
#include "ui/Theme.h"

namespace cbx::ui {

class CBasicButton;

class CMessageDlg : public CDialogBase {
  Q_OBJECT
 public:
  // `text` is the caller's message (or the version line's value); `openDocument` is what
  // button 1045 of an update offer does.
  CMessageDlg(const TextTable& texts, int kind, const QString& text, QWidget* parent,
              std::function<void()> openDocument = {});

  int Kind() const { return kind_; }
  // Ends the running dialog with its OK or Cancel code, whether or not that button is shown.
  void EndFromOutside(bool withOk);
  // The code each button returns: OK (1), Cancel (2), 1045, 1046.
  int ResultOf(int button) const;
  // The shown button with this id, or null (tests press them).
  CBasicButton* Button(int button) const;
  QString MessageText() const { return message_.text; }
  QString SecondText() const { return second_.text; }
  bool IsTall() const { return tall_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void reject() override;                     // the window's close returns 12

 private:
  void AddButton(int id, int labelId, const QRect& place);

  int kind_;
  bool tall_;
  TextItem message_, second_;
  QRect messageRect_, secondRect_;
  unsigned messageFormat_ = 17, secondFormat_ = 17;
  std::function<void()> openDocument_;
  std::vector<std::pair<int, CBasicButton*>> buttons_;
  const TextTable& texts_;
};

}  // namespace cbx::ui
