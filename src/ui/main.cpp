// calibrix: the desktop application.
#include <QApplication>
#include <atomic>
#include <chrono>
#include <thread>
#include <QEvent>
#include <QTimer>
#include <cstring>
#include <iostream>
#include <memory>

#include "app/Configuration.h"
#include "app/Folders.h"
#include "session/SessionRun.h"
#include "sim/BackendFactory.h"
#include "ui/CMainFrame.h"
#include "ui/DemoMode.h"
#include "ui/DeviceEvent.h"
#include "ui/QtSessionUi.h"
#include "ui/CSplashWnd.h"
#include "ui/CommandLine.h"
#include "ui/SingleInstance.h"
#include "ui/WindowPlacement.h"
#include "app/ProgramVersion.h"

namespace {

bool HasFlag(int argc, char** argv, const char* flag) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], flag) == 0) return true;
  return false;
}

// --quit-when-shown: once the main window has painted for the first time, prints "shown" and
// ends the program, so a start can be timed from outside the process.
class QuitWhenShown : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::Paint || reported_) return false;
    reported_ = true;
    // Queued: the paint this event starts completes first.
    QTimer::singleShot(0, qApp, [] {
      std::cout << "shown" << std::endl;
      QCoreApplication::quit();
    });
    return false;
  }

 private:
  bool reported_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::unique_ptr<cbx::ui::DemoMode> demo;
  std::shared_ptr<cbx::dock::HidBackend> backend;
  try {
    if (HasFlag(argc, argv, "--demo")) {
      demo = std::make_unique<cbx::ui::DemoMode>("zoom-lens-dock", cbx::ui::DemoMode::DefaultServerFolder());
      backend = demo->Backend();
    } else {
      backend = cbx::sim::MakeBackend(cbx::sim::SelectedBackendSpec({}));
    }
  } catch (const std::exception& e) {
    std::cerr << "calibrix: " << e.what() << "\n";
    return 1;
  }

  cbx::ui::QtSessionUi ui;
  cbx::ui::QtEventSink events(nullptr);
  cbx::session::SessionRun run(backend, ui, events);
  if (demo) run.SetServerOverride(demo->ServerUrl());
  const std::string dataFolder = run.Lifecycle().Locations().dataFolder;
  const QString socketName = cbx::ui::InstanceSocketName(dataFolder);
  if (run.Start() != cbx::session::SessionRun::StartResult::kStarted) {
    // Another copy runs: it comes forward, this one ends without writing anything.
    if (!cbx::ui::InstanceBeacon::AskToRaise(socketName)) {
      std::cerr << "calibrix: ORVANE Calibrix is already running\n";
    }
    return 1;
  }
  ui.SetSession(run.State(), run.Texts());
  int exitCode = 0;
  {
    QuitWhenShown quitWhenShown;  // outlives the window it watches
    cbx::ui::CMainFrame frame(run, ui);
    ui.SetFrame(&frame);
    events.SetReceiver(&frame);
    cbx::ui::InstanceBeacon beacon(socketName, [&frame] { cbx::ui::BringForward(frame); });
    if (demo) demo->AddMenu(frame);

    // The saved place, unless it is mostly off every screen.
    frame.adjustSize();
    const cbx::AppConfig& config = run.Lifecycle().Config();
    QRect place(QPoint(config.mainWindowX, config.mainWindowY), frame.frameGeometry().size());
    if (!cbx::ui::ScreenRectAcceptable(place, cbx::ui::ScreenBounds())) place.moveTo(0, 0);
    frame.move(place.topLeft());
    if (HasFlag(argc, argv, "--quit-when-shown")) frame.installEventFilter(&quitWhenShown);
    frame.show();

    // The start-up thread waits while the splash is up, then tells the window to begin
    // device monitoring (at once without a splash).
    std::atomic<bool> splashShown{!cbx::ui::SplashSuppressed(QCoreApplication::arguments().mid(1))};
    if (splashShown) {
      auto* splash = new cbx::ui::CSplashWnd(
          QStringLiteral("Version %1").arg(QString::fromStdString(cbx::GetProgramVersion(true))),
          [&splashShown] { splashShown = false; });
      splash->show();
    }
    std::atomic<bool> quitting{false};
    std::thread startup([&] {
      while (splashShown && !quitting) std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (!quitting) events.Post(cbx::Event{cbx::WM_START_MONITORING, 0, 0});
    });
    exitCode = app.exec();
    quitting = true;
    startup.join();

    const QPoint position = frame.pos();
    cbx::WriteWindowPosition(position.x(), position.y(), cbx::JoinPath(dataFolder, cbx::kConfigFileName));
    // The device threads stop before the window they post to goes away.
    run.Finish();
    events.SetReceiver(nullptr);
    ui.SetFrame(nullptr);
  }
  return exitCode;
}
