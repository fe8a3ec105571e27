// The licences of the libraries the program ships with, from License.txt.
#pragma once

#include "app/TextResources.h"
#include "ui/CDialogBase.h"
#include "ui/Theme.h"



namespace cbx::ui {

class CLicenseDlg : public CDialogBase {
  Q_OBJECT
 public:
  CLicenseDlg(const TextTable& texts, QWidget* parent);
  QString Content() const;
  class CEditBase* TextArea() const { return text_; }
  // Reads the file as the viewer shows it: after a UTF-16 byte-order mark when there is one,
  // each line ending in CR LF; "Loading files failed." when nothing could be read.
  static QString LoadLicenceText(const QString& path);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  class CEditBase* text_;
  TextItem heading_;
};

}  // namespace cbx::ui
