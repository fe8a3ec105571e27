#include "ui/CLensHistoryView.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

#include "ui/Theme.h"
#include "update/LensUpdateInfo.h"

namespace cbx::ui {

namespace {
int HomeScreenOf(int category) { return category == 2 ? 10 : category == 1 ? 9 : 0; }
}  // namespace

CLensHistoryView::CLensHistoryView(ScreenContext& context, QWidget* parent) : QWidget(parent), context_(context) {
  setFixedSize(260, 450);
}

void CLensHistoryView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(0x22, 0x22, 0x22));
  const auto records = context_.state.lensHistory.Records();
  const auto& shown = context_.state.shownDevice;
  for (std::size_t i = 0; i < records.size(); ++i) {
    auto record = records[i];
    const QRect row(0, static_cast<int>(i) * kRowHeight, width(), kRowHeight);
    if (row.top() > height()) break;
    const bool isShown = !shown.serialNumber.empty() && record.IsSameDevice(shown);
    QLinearGradient face(row.topLeft(), row.bottomLeft());
    face.setColorAt(0, isShown ? QColor(0x3C, 0x4A, 0x5A) : QColor(0x30, 0x30, 0x30));
    face.setColorAt(1, isShown ? QColor(0x2A, 0x34, 0x40) : QColor(0x26, 0x26, 0x26));
    p.fillRect(row, face);
    p.setPen(QColor(0x18, 0x18, 0x18));
    p.drawLine(row.bottomLeft(), row.bottomRight());
    TextItem name;
    name.text = QString::fromStdString(record.productName.empty() ? record.productCodeText : record.productName);
    name.font = QFont(QStringLiteral("DejaVu Sans"), 9, QFont::Bold);
    name.color = static_cast<int>(i) == connected_ ? kTitleHighlight : kTitleText;
    DrawTextItem(p, row.adjusted(22, 4, -6, -22), name, kFormatLeft | kFormatVCenter | kFormatSingleLine | kFormatEndEllipsis);
    TextItem detail;
    detail.text = QStringLiteral("S/N %1   %2").arg(QString::fromStdString(record.serialNumber),
                                                  QString::fromStdString(update::GetDisplayVersion(record)));
    detail.font = QFont(QStringLiteral("DejaVu Sans"), 8);
    detail.color = QColor(0x90, 0x90, 0x90);
    DrawTextItem(p, row.adjusted(22, 22, -6, -4), detail, kFormatLeft | kFormatVCenter | kFormatSingleLine);
    if (static_cast<int>(i) == connected_) {
      p.setRenderHint(QPainter::Antialiasing);
      p.setBrush(QColor(0x40, 0xC0, 0x50));
      p.setPen(Qt::NoPen);
      p.drawEllipse(QPointF(11, row.center().y()), 4, 4);
      p.setRenderHint(QPainter::Antialiasing, false);
    }
  }
}

void CLensHistoryView::mousePressEvent(QMouseEvent* e) {
  const int index = static_cast<int>(e->position().y()) / kRowHeight;
  if (index < 0 || index >= context_.state.lensHistory.Size()) return;
  AppState& st = context_.state;
  st.shownDevice = st.lensHistory.GetAt(index);
  context_.showScreen(HomeScreenOf(st.shownDevice.deviceCategory));
  update();
}

}  // namespace cbx::ui
