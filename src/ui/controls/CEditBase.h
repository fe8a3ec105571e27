// The read-only text area: a multi-line text with the kit's own scroll bar beside it.
#pragma once

#include <QPlainTextEdit>

namespace cbx::ui {

class CScrollBarBase;

class CEditBase : public QPlainTextEdit {
  Q_OBJECT
 public:
  // `place` is in the parent; the scroll bar stands against its right edge there.
  CEditBase(const QRect& place, QWidget* parent);
  CScrollBarBase* ScrollBar() const { return bar_; }
  void SelectAllAndCopy();

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  void Refresh();
  CScrollBarBase* bar_;
};

}  // namespace cbx::ui
