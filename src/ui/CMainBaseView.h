// The central view of the main window: the splitter with the history list on the left
// (260 pixels) and the screen area on the right (652 pixels). The splitter cannot be moved.
#pragma once

#include <QWidget>

namespace cbx::ui {

class CMainSplitterWnd : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kLeftWidth = 260, kRightWidth = 652, kHeight = 450;
  CMainSplitterWnd(QWidget* left, QWidget* right, QWidget* parent);
};

class CMainBaseView : public QWidget {
  Q_OBJECT
 public:
  CMainBaseView(QWidget* left, QWidget* right, QWidget* parent);
  CMainSplitterWnd* Splitter() const { return splitter_; }

 private:
  CMainSplitterWnd* splitter_;
};

}  // namespace cbx::ui
