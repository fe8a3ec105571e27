// calibrix: the desktop application.
#include <QApplication>
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

namespace {

// "Embedding" or "Automation" after "/" or "-", in any letter case, suppress the splash.
bool SplashSuppressed(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (a[0] != '/' && a[0] != '-') continue;
    const QString name = QString::fromLocal8Bit(a + 1).toLower();
    if (name == QLatin1String("embedding") || name == QLatin1String("automation")) return true;
  }
  return false;
}

bool HasFlag(int argc, char** argv, const char* flag) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], flag) == 0) return true;
  return false;
}

constexpr int kSplashMs = 2000;

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
  if (run.Start() != cbx::session::SessionRun::StartResult::kStarted) {
    // Another copy runs: it keeps the data folder, this one ends without writing anything.
    std::cerr << "calibrix: ORVANE Calibrix is already running\n";
    return 1;
  }
  ui.SetSession(run.State(), run.Texts());
  int exitCode = 0;
  {
    cbx::ui::CMainFrame frame(run, ui);
    ui.SetFrame(&frame);
    events.SetReceiver(&frame);
    if (demo) demo->AddMenu(frame);
    frame.show();
    // Monitoring starts once the splash time is over (at once without a splash).
    const int wait = SplashSuppressed(argc, argv) ? 0 : kSplashMs;
    QTimer::singleShot(wait, &frame, [&events] { events.Post(cbx::Event{cbx::WM_START_MONITORING, 0, 0}); });
    exitCode = app.exec();
    // The device threads stop before the window they post to goes away.
    run.Finish();
    events.SetReceiver(nullptr);
    ui.SetFrame(nullptr);
  }
  return exitCode;
}
