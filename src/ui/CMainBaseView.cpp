#include "ui/CMainBaseView.h"

namespace cbx::ui {

CMainSplitterWnd::CMainSplitterWnd(QWidget* left, QWidget* right, QWidget* parent) : QWidget(parent) {
  setFixedSize(kLeftWidth + kRightWidth, kHeight);
  // Fixed columns: nothing to drag, and the pointer never changes over the seam.
  left->setParent(this);
  left->setGeometry(0, 0, kLeftWidth, kHeight);
  right->setParent(this);
  right->setGeometry(kLeftWidth, 0, kRightWidth, kHeight);
}

CMainBaseView::CMainBaseView(QWidget* left, QWidget* right, QWidget* parent)
    : QWidget(parent), splitter_(new CMainSplitterWnd(left, right, this)) {
  setFixedSize(splitter_->size());
}

}  // namespace cbx::ui
