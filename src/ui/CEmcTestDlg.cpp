#include "ui/CEmcTestDlg.h"

#include <QPainter>

#include "ui/controls/CBasicButton.h"
#include "ui/controls/CProgressBarBase.h"
#include "ui/controls/CStaticBase.h"

namespace cbx::ui {

namespace {

constexpr int kButtonWidth = 145, kButtonHeight = 28;

}  // namespace

CEmcTestDlg::CEmcTestDlg(const TextTable& texts, EmcControl& control, QWidget* parent)
    : WorkerDialog(Text(texts, 10), parent), control_(control) {
  title_.text = QStringLiteral("EMC test");
  status_ = new CStaticBase(QRect(7, 68, 400, 24), this);
  status_->SetFormat(kFormatCenter | kFormatVCenter | kFormatSingleLine);
  status_->SetText(QString::fromStdString(control_.Status()));
  bar_ = new CProgressBarBase(this);
  bar_->move((width() - bar_->width()) / 2, 98);
  cancel_ = new CBasicButton(1, LoadTextItem(texts, 3003), 37, this);
  cancel_->setGeometry((width() - kButtonWidth) / 2, 126, kButtonWidth, kButtonHeight);
  // The worker finishes its step and then ends the dialog with its result.
  connect(cancel_, &CBasicButton::clicked, this, [this] { control_.RequestCancel(); });
}

CEmcTestDlg::~CEmcTestDlg() { control_.SetListener({}); }

int CEmcTestDlg::RunLoop(const std::function<int()>& loop) {
  // The worker never touches a widget: what it shows is carried over to this thread.
  control_.SetListener({[this](const std::string& status) {
                          const QString text = QString::fromStdString(status);
                          QMetaObject::invokeMethod(this, [this, text] { status_->SetText(text, true); },
                                                    Qt::QueuedConnection);
                        },
                        [this](int min, int max, int position) { bar_->SetLater(min, max, position); }});
  const int result = Run(loop);
  control_.SetListener({});
  return result;
}

QString CEmcTestDlg::StatusText() const { return status_->Text(); }

void CEmcTestDlg::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kThemeBase);
  DrawPng(p, QPoint(0, 0), 498);
  DrawTextItem(p, QRect(7, 40, 400, 26), title_, kFormatCenter | kFormatVCenter | kFormatSingleLine);
}

}  // namespace cbx::ui
