#include "ui/CDialogBase.h"

#include <QLinearGradient>
#include <QPainter>

#include "ui/Theme.h"

namespace cbx::ui {

CDialogBase::CDialogBase(const QString& caption, const QSize& client, QWidget* parent) : QDialog(parent) {
  setWindowTitle(caption);
  setFixedSize(client);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setModal(true);
}

void CDialogBase::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QLinearGradient background(0, 0, 0, height());
  background.setColorAt(0, QColor(0x3A, 0x3A, 0x3A));
  background.setColorAt(1, kThemeBase.darker(125));
  p.fillRect(rect(), background);
}

}  // namespace cbx::ui
