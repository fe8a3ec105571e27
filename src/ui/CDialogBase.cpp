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
  p.fillRect(rect(), kThemeBase);
}

}  // namespace cbx::ui
