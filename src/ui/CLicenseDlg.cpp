#include "ui/CLicenseDlg.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStringDecoder>

#include "app/Folders.h"
#include "ui/Theme.h"
#include "ui/controls/CBasicButton.h"
#include "ui/controls/CEditBase.h"

namespace cbx::ui {

QString CLicenseDlg::LoadLicenceText(const QString& path) {
  QFile file(path);
  QByteArray bytes;
  if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
  QString text;
  if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
    QStringDecoder decode(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
    text = decode(bytes.mid(2));
  } else {
    text = QString::fromUtf8(bytes);
  }
  if (text.isEmpty()) return QStringLiteral("Loading files failed.");
  QString out;
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    QString l = line;
    if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
    out += l + QStringLiteral("\r\n");
  }
  return out;
}

CLicenseDlg::CLicenseDlg(const TextTable& texts, QWidget* parent)
    : CDialogBase(Text(texts, 2400), QSize(498, 584), parent) {
  text_ = new CEditBase(QRect(17, 30, 450, 515), this);
  const QString path = QString::fromStdString(JoinPath(GetFolder(kFolderLicense), std::string_view("License.txt")));
  text_->setPlainText(LoadLicenceText(path));
  auto* copy = new CBasicButton(1, LoadTextItem(texts, 2402), 37, this);
  copy->setGeometry(60, 552, 200, 32);
  connect(copy, &CBasicButton::clicked, this, [this] { text_->SelectAllAndCopy(); });
  auto* close = new CBasicButton(1, LoadTextItem(texts, 2101), 37, this);
  close->setGeometry(330, 552, 108, 32);
  connect(close, &CBasicButton::clicked, this, &QDialog::accept);
  // The caret at the start, nothing selected.
  text_->setFocus();
  text_->moveCursor(QTextCursor::Start);
  heading_ = LoadTextItem(texts, 2401);
}

void CLicenseDlg::paintEvent(QPaintEvent* e) {
  CDialogBase::paintEvent(e);
  QPainter p(this);
  DrawTextItem(p, QRect(24, 7, 450, 18), heading_, 38);
}

QString CLicenseDlg::Content() const { return text_->toPlainText(); }

}  // namespace cbx::ui
