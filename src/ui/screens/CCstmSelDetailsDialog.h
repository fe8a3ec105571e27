// The overview of one custom mode: its AF speed, focus limiter and OS lines, the buttons to
// their screens, and the Write that sends the mode to the lens.
#pragma once

#include "ui/screens/CCustomScreen.h"

namespace cbx::ui {

class CStaticBase;

class CCstmSelDetailsDialog : public CCustomScreen {
  Q_OBJECT
 public:
  CCstmSelDetailsDialog(ScreenContext& context, QWidget* parent);
  void LayOut() override;
  void Refresh() override;
  bool HasUnsavedChanges() const override;
  void DropEdits() override;

  CBasicButton* Button(int control) const;
  QString Line(int index) const;  // 0 title, 1 AF speed, 2 focus limiter, 3 OS

 private:
  void SetMessageText(std::uint32_t group);
  void Write();

  CStaticBase* title_ = nullptr;
  CStaticBase* lines_[3] = {};
  CBasicButton* afSpeed_ = nullptr;
  CBasicButton* limiter_ = nullptr;
  CBasicButton* os_ = nullptr;
  CBasicButton* write_ = nullptr;
  CBasicButton* back_ = nullptr;
};

}  // namespace cbx::ui
