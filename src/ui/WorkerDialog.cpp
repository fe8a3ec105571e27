#include "ui/WorkerDialog.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPointer>
#include <QTimer>

#include "app/MessageKinds.h"
#include "lens/TransferHost.h"

namespace cbx::ui {

WorkerDialog::WorkerDialog(const QString& title, QWidget* parent) : QDialog(parent) {
  setFixedSize(417, 167);
  setWindowTitle(title);
  setWindowFlag(Qt::WindowCloseButtonHint, false);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setModal(true);
}

WorkerDialog::~WorkerDialog() {
  if (worker_.joinable()) worker_.join();
}

int WorkerDialog::Run(const std::function<int()>& work) {
  running_ = true;
  QPointer<WorkerDialog> self(this);
  worker_ = std::thread([self, work, this] {
    int result = lens::kTransferDataFailure;
    try {
      result = work();
    } catch (...) {
      // Nothing leaves the worker: an exception is a failed piece of work.
    }
    running_ = false;
    QMetaObject::invokeMethod(
        this,
        [self, result] {
          if (!self) return;
          const int delay = self->ClosingDelayMs();
          if (delay <= 0) {
            self->done(result);
          } else {
            QTimer::singleShot(delay, self, [self, result] {
              if (self) self->done(result);
            });
          }
        },
        Qt::QueuedConnection);
  });
  const int result = exec();
  worker_.join();
  return result;
}

void WorkerDialog::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kThemeBase);
  DrawPng(p, QPoint(0, 0), 498);
  DrawTextItem(p, QRect(7, 40, 400, 50), message_, 17);
  if (!showBar_) return;
  const QRect bar(40, 105, 337, 14);
  p.fillRect(bar, QColor(0x18, 0x18, 0x18));
  if (max_ > min_) {
    const int filled = static_cast<int>(static_cast<long long>(bar.width()) * (position_ - min_) / (max_ - min_));
    QLinearGradient fill(bar.topLeft(), bar.bottomLeft());
    fill.setColorAt(0, kTitleHighlight.lighter(120));
    fill.setColorAt(1, kTitleHighlight.darker(130));
    p.fillRect(QRect(bar.left(), bar.top(), filled, bar.height()), fill);
  }
  p.setPen(QColor(0x55, 0x55, 0x55));
  p.drawRect(bar.adjusted(0, 0, -1, -1));
}

CProgressDialog::CProgressDialog(const TextTable& texts, int transferType, QWidget* parent)
    : WorkerDialog(Text(texts, 10), parent) {
  const int textId = lens::TransferMessageTextId(transferType);
  message_ = LoadTextItem(texts, textId != 0 ? textId : 3111);
  showBar_ = true;
}

void CProgressDialog::Progressed(int min, int max, int position) {
  // Called only while the worker runs, and the dialog outlives its worker.
  QMetaObject::invokeMethod(
      this,
      [this, min, max, position] {
        min_ = min;
        max_ = max;
        position_ = position;
        update();
      },
      Qt::QueuedConnection);
}

CUpdateCheckDialog::CUpdateCheckDialog(const TextTable& texts, int waitMessageKind, QWidget* parent)
    : WorkerDialog(Text(texts, 10), parent) {
  message_ = LoadTextItem(texts, MessageKind(waitMessageKind).fixedTextId);
}

}  // namespace cbx::ui
