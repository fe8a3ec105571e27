#include "ui/WorkerDialog.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPointer>
#include <QTimer>

#include "app/MessageKinds.h"
#include "lens/TransferHost.h"
#include "ui/controls/CProgressBarBase.h"

namespace cbx::ui {

WorkerDialog::WorkerDialog(const QString& title, QWidget* parent) : CDialogBase(title, QSize(417, 167), parent) {
  setWindowFlag(Qt::WindowCloseButtonHint, false);
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
  // The progress layout: the message centred around the middle, the bar below it.
  DrawTextItem(p, QRect(7, height() / 2 - 40, 400, 50), message_, 17);
}

CProgressDialog::CProgressDialog(const TextTable& texts, int transferType, QWidget* parent)
    : WorkerDialog(Text(texts, 10), parent) {
  // Firmware transfers have no text of their own: the update message of the progress layout.
  const int textId = lens::TransferMessageTextId(transferType);
  message_ = LoadTextItem(texts, textId != 0 ? textId : 3105);
  bar_ = new CProgressBarBase(this);
  bar_->move((width() - bar_->width()) / 2, 118);
}

void CProgressDialog::Progressed(int min, int max, int position) {
  // Called only while the worker runs, and the dialog outlives its worker.
  bar_->SetLater(min, max, position);
}

CUpdateCheckDialog::CUpdateCheckDialog(const TextTable& texts, int waitMessageKind, QWidget* parent)
    : WorkerDialog(Text(texts, 10), parent) {
  message_ = LoadTextItem(texts, MessageKind(waitMessageKind).fixedTextId);
}

}  // namespace cbx::ui
