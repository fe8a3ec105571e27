#include "ui/controls/CEditBase.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QScrollBar>

#include "ui/controls/CScrollBarBase.h"

namespace cbx::ui {

CEditBase::CEditBase(const QRect& place, QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setGeometry(place);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFrameShape(QFrame::NoFrame);
  setStyleSheet(QStringLiteral("QPlainTextEdit { background: #FFFFFF; color: #000000; }"));
  bar_ = new CScrollBarBase(parent);
  bar_->setGeometry(place.right() + 1, place.top(), CScrollBarBase::kWidth, place.height());
  bar_->show();
  QScrollBar* own = verticalScrollBar();
  bar_->onScroll = [own](CScrollBarBase::Action action, int position) {
    switch (action) {
      case CScrollBarBase::kLineUp: own->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
      case CScrollBarBase::kLineDown: own->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
      case CScrollBarBase::kPageUp: own->triggerAction(QAbstractSlider::SliderPageStepSub); break;
      case CScrollBarBase::kPageDown: own->triggerAction(QAbstractSlider::SliderPageStepAdd); break;
      case CScrollBarBase::kThumbTrack: own->setValue(position); break;
    }
  };
  connect(own, &QScrollBar::valueChanged, this, [this] { Refresh(); });
  connect(own, &QScrollBar::rangeChanged, this, [this] { Refresh(); });
}

void CEditBase::Refresh() {
  const QScrollBar* own = verticalScrollBar();
  bar_->SetScrollInfo(own->minimum(), own->maximum() + own->pageStep() - 1, own->pageStep(), own->value());
}

void CEditBase::SelectAllAndCopy() {
  selectAll();
  QApplication::clipboard()->setText(toPlainText());
}

void CEditBase::resizeEvent(QResizeEvent* e) {
  QPlainTextEdit::resizeEvent(e);
  bar_->setGeometry(geometry().right() + 1, geometry().top(), CScrollBarBase::kWidth, height());
  Refresh();
}

}  // namespace cbx::ui
