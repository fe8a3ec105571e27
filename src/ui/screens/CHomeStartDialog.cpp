#include "ui/screens/CHomeStartDialog.h"

#include <QFontMetrics>
#include <QPainter>

#include "ui/controls/CStaticBase.h"
#include <QPainterPath>

namespace cbx::ui {

namespace {
const QRect kMessage(35, 40, 542, 30);
const QRect kPicture(124, 90, 330, 236);
}  // namespace

CHomeStartDialog::CHomeStartDialog(ScreenContext& context, QWidget* parent) : CControlAreaBaseDialog(context, parent) {
  LayOut();
}

void CHomeStartDialog::LayOut() {
  message_ = new CStaticBase(kMessage, this);
  message_->SetTextFromId(context_.texts, 1000, kFormatCenter);
  // A message too wide for one line wraps instead.
  if (message_->Drawer().Measure(false).width() > 482) message_->SetFormat(kFormatWordBreak);
}

QString CHomeStartDialog::MessageText() const { return message_->Text(); }

void CHomeStartDialog::PaintContent(QPainter& p) {
  DrawPng(p, kPicture.topLeft(), 432);
}

}  // namespace cbx::ui
