#include "ui/CAboutDlg.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>

#include "app/ProgramVersion.h"
#include "ui/CLicenseDlg.h"
#include "ui/CSplashWnd.h"
#include "ui/controls/CBasicButton.h"

namespace cbx::ui {

CAboutDlg::CAboutDlg(const TextTable& texts, QWidget* parent)
    : CDialogBase(Text(texts, 2300), QSize(640, 290), parent), texts_(texts) {
  version_ = LoadTextItem(texts, 2001);
  version_.color = Qt::white;
  version_.text = QStringLiteral("Version %1").arg(QString::fromStdString(GetProgramVersion(true)));
  const TextItem licenceLabel = LoadTextItem(texts, 2301);
  const int measured = QFontMetrics(licenceLabel.font).horizontalAdvance(licenceLabel.text);
  const int width = measured >= 166 ? measured : 165;
  auto* licence = new CBasicButton(0, licenceLabel, 37, this);
  licence->setGeometry(458 - width, 258, width, 28);
  connect(licence, &CBasicButton::clicked, this, [this] { CLicenseDlg(texts_, this).exec(); });
  auto* ok = new CBasicButton(1, LoadTextItem(texts, 3002), 37, this);
  ok->setGeometry(473, 258, 145, 28);
  connect(ok, &CBasicButton::clicked, this, &QDialog::accept);
}

void CAboutDlg::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_V && (e->modifiers() & Qt::AltModifier)) {
    // The full four-part version, for support.
    version_.text = QStringLiteral("Version %1").arg(QString::fromStdString(GetProgramVersion(false)));
    update();
    return;
  }
  QDialog::keyPressEvent(e);
}

void CAboutDlg::paintEvent(QPaintEvent* e) {
  CDialogBase::paintEvent(e);
  QPainter p(this);
  PaintProductPicture(p, QRect(0, 0, 640, 253), QString());
  p.setPen(QColor(0x3C, 0x3C, 0x3C));
  p.drawLine(0, 253, 640, 253);
  DrawTextItem(p, QRect(QPoint(327, 200), QPoint(426, 214)), version_, 36);
}

}  // namespace cbx::ui
