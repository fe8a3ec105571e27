#include "ui/CMainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QIcon>
#include <QPixmap>
#include <QFileInfo>
#include <QLayout>
#include <QLocale>
#include <QMenuBar>
#include <QUrl>

#include "app/Folders.h"
#include "records/HistoryTransfer.h"
#include "ui/CAboutDlg.h"
#include "ui/CHomeView.h"
#include "ui/CMainBaseView.h"
#include "ui/CPreferenceDialog.h"
#include "ui/CLensHistoryView.h"
#include "ui/CMainDialogBar.h"
#include "ui/DeviceEvent.h"
#include "ui/QtSessionUi.h"
#include "ui/Theme.h"
#include "ui/WebPages.h"
#include "ui/controls/CBasicButton.h"

namespace cbx::ui {

namespace {
constexpr const char* kManualName = "User Manual.pdf";
}

CMainFrame::CMainFrame(session::SessionRun& run, QtSessionUi& ui) : run_(run), ui_(ui) {
  const TextTable& texts = run.Texts();
  setWindowTitle(Text(texts, 10));
  setWindowIcon(QIcon(QPixmap::fromImage(Png(128))));
  context_ = std::make_unique<ScreenContext>(ScreenContext{
      run.State(), texts, run.Controller(), run.Model(), run.Settings(), run.Dock(), ui_, [this](int screen) { home_->ShowScreen(screen); }});

  auto* central = new QWidget(this);
  central->setFixedSize(kClientWidth, kClientHeight);
  central->setAutoFillBackground(true);
  QPalette palette = central->palette();
  palette.setColor(QPalette::Window, kThemeBase);
  central->setPalette(palette);
  // The central view first, then the top bar, then the bottom bar.
  history_ = new CLensHistoryView(*context_, ui_, nullptr);
  home_ = new CHomeView(*context_, nullptr);
  view_ = new CMainBaseView(history_, home_, central);
  view_->move(0, 60);
  top_ = new CMainDialogBar(texts, central);
  top_->InitBar();
  top_->move(0, 0);
  bottom_ = new CMainDialogBarBottom(central);
  bottom_->InitBar();
  bottom_->move(0, 510);
  setCentralWidget(central);
  BuildMenu();
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  setWindowFlag(Qt::WindowMaximizeButtonHint, false);

  context_->leaveShownScreen = [this] { return home_->LeaveShownScreen(); };
  home_->onStartScreen = [this] {
    top_->SetTitle(QString(), run_.Controller().IsCurrentDeviceShown());
  };
  connect(top_->WebButton(), &CBasicButton::clicked, this, [] {
    const bool japanese = QLocale::system().language() == QLocale::Japanese;
    QDesktopServices::openUrl(QUrl(QString::fromUtf8(japanese ? kProductPageJapanese : kProductPageEnglish)));
  });
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::BuildMenu() {
  const TextTable& texts = run_.Texts();
  // The menu in the theme's dark look.
  setStyleSheet(QStringLiteral(
      "QMenuBar { background: #1c1c1c; color: #c8c8c8; }"
      "QMenuBar::item:selected { background: #3c3c3c; }"
      "QMenu { background: #2c2c2c; color: #c8c8c8; border: 1px solid #4a4a4a; }"
      "QMenu::item:selected { background: #4a5a6a; }"
      "QMenu::item:disabled { color: #6a6a6a; }"));
  fileMenu_ = menuBar()->addMenu(Text(texts, 4000));
  dockInfo_ = fileMenu_->addAction(Text(texts, 4001));
  dockInfo_->setEnabled(false);
  import_ = fileMenu_->addAction(Text(texts, 4003));
  export_ = fileMenu_->addAction(Text(texts, 4004));
  fileMenu_->addSeparator();
  QAction* exitAction = fileMenu_->addAction(Text(texts, 4002));
  connect(exitAction, &QAction::triggered, this, &QWidget::close);
  connect(fileMenu_, &QMenu::aboutToShow, this, [this] { UpdateMenu(); });
  connect(dockInfo_, &QAction::triggered, this, [this] { OpenDockInformation(); });

  const auto transfer = [this](bool exporting) {
    records::TransferContext context{run_.State(), ui_, &run_.Dock(),
                                     run_.Lifecycle().Locations()};
    exporting ? records::ExportHistory(context) : records::ImportHistory(context);
    history_->Fill();
  };
  connect(import_, &QAction::triggered, this, [transfer] { transfer(false); });
  connect(export_, &QAction::triggered, this, [transfer] { transfer(true); });

  QMenu* help = menuBar()->addMenu(Text(texts, 4010));
  manual_ = help->addAction(Text(texts, 4011));
  QAction* manual = manual_;
  const QString manualPath = ManualPath();
  connect(help, &QMenu::aboutToShow, this, [this] { manual_->setEnabled(QFileInfo::exists(ManualPath())); });
  manual->setEnabled(QFileInfo::exists(manualPath));
  connect(manual, &QAction::triggered, this, [this, manualPath] {
    // No viewer for PDF files: the user is told what to install.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(manualPath))) {
      ui_.AskMessage(2, Text(run_.Texts(), 3127).toStdString());
    }
  });
  QAction* about = help->addAction(Text(texts, 4012));
  connect(about, &QAction::triggered, this, [this] { CAboutDlg(run_.Texts(), this).exec(); });
  QAction* network = help->addAction(Text(texts, 4013));
  connect(network, &QAction::triggered, this, [this] {
    const bool japanese = run_.State().uiLanguage == 1;
    QDesktopServices::openUrl(QUrl(QString::fromUtf8(japanese ? kServicePageJapanese : kServicePageEnglish)));
  });
}

QString CMainFrame::ManualPath() {
  return QString::fromStdString(JoinPath(GetFolder(kFolderManual), std::string_view(kManualName)));
}

void CMainFrame::OpenDockInformation() {
  CPreferenceDialog dialog(*context_, run_.Dock(), this);
  dialog.onChecked = [this] {
    if (auto* lensHome = home_->Screen(0)) lensHome->Refresh();
  };
  // Device loss closes it as if its close button were pressed; the removal seen by the
  // status poll leaves it alone meanwhile.
  ui_.SetPreferenceDialog(&dialog);
  run_.State().dialogEndable = false;
  dialog.exec();
  run_.State().dialogEndable = true;
  ui_.SetPreferenceDialog(nullptr);
}

void CMainFrame::UpdateMenu() {
  AppState& st = run_.State();
  dock::DockDevice& dock = run_.Dock();
  const bool converter = dock.deviceKind() == dock::DeviceKind::MountConverter;
  dockInfo_->setEnabled(!(converter && !st.converterAttached) && dock.IsReady() && st.dockMountCode != 0xFF);
  const bool noLink = !converter && !dock.IsReady();
  import_->setEnabled(noLink);
  export_->setEnabled(noLink);
}

void CMainFrame::closeEvent(QCloseEvent* e) {
  if (QApplication::activeModalWidget() != nullptr || run_.State().sequenceActive || !home_->LeaveShownScreen()) {
    e->ignore();
    return;
  }
  QMainWindow::closeEvent(e);
}

bool CMainFrame::event(QEvent* e) {
  if (e->type() == DeviceEvent::EventType()) {
    run_.Controller().HandleEvent(static_cast<DeviceEvent*>(e)->event);
    return true;
  }
  return QMainWindow::event(e);
}

}  // namespace cbx::ui
