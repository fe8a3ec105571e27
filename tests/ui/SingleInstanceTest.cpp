// One window per data folder, and where that window opens.
#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>

#include "WindowFixture.h"
#include "ui/CommandLine.h"
#include "ui/SingleInstance.h"
#include "ui/WindowPlacement.h"

namespace cbx::ui {
namespace {

using test::WaitUntil;

std::vector<std::string> FilesBelow(const std::string& folder) {
  std::vector<std::string> files;
  if (!std::filesystem::exists(folder)) return files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    files.push_back(entry.path().string() + ":" + std::to_string(entry.is_regular_file() ? entry.file_size() : 0));
  }
  std::sort(files.begin(), files.end());
  return files;
}

class SingleInstanceTest : public test::WindowTest {};

TEST_F(SingleInstanceTest, SecondStartRaisesTheFirstWindowAndWritesNothing) {
  const std::string dataFolder = run_->Lifecycle().Locations().dataFolder;
  int raised = 0;
  InstanceBeacon beacon(InstanceSocketName(dataFolder), [&] {
    ++raised;
    BringForward(*frame_);
  });
  ASSERT_TRUE(beacon.Listening());
  frame_->showMinimized();
  const auto before = FilesBelow(dataFolder);

  QProcess second;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  second.setProcessEnvironment(env);
  second.start(QStringLiteral(CALIBRIX_GUI_BINARY), {QStringLiteral("--demo"), QStringLiteral("/Embedding")});
  ASSERT_TRUE(WaitUntil([&] { return second.state() == QProcess::NotRunning; }, 15000));
  EXPECT_EQ(second.exitCode(), 1);
  EXPECT_EQ(raised, 1);
  EXPECT_FALSE(frame_->isMinimized());
  EXPECT_EQ(FilesBelow(dataFolder), before);
}

TEST(WindowPlacement, SavedPlaceMostlyOffTheScreensIsRefused) {
  const QRect screen(0, 0, 1920, 1080);
  const QSize window(914, 600);
  EXPECT_FALSE(ScreenRectAcceptable(QRect(QPoint(5000, 5000), window), screen));
  // More than half of it is still visible.
  EXPECT_TRUE(ScreenRectAcceptable(QRect(QPoint(-400, 100), window), screen));
  EXPECT_FALSE(ScreenRectAcceptable(QRect(QPoint(-458, 100), window), screen));
  EXPECT_TRUE(ScreenRectAcceptable(QRect(QPoint(0, 0), window), screen));
}

TEST(CommandLine, EmbeddingOrAutomationSuppressTheSplash) {
  const std::pair<QStringList, bool> cases[] = {
      {{QStringLiteral("/Embedding")}, true},  {{QStringLiteral("-automation")}, true},
      {{QStringLiteral("/EMBEDDING")}, true},  {{QStringLiteral("--demo")}, false},
      {{QStringLiteral("/Embed")}, false},     {{QStringLiteral("Embedding")}, false},
      {{QStringLiteral("--demo"), QStringLiteral("-Automation")}, true}, {{}, false}};
  for (const auto& [arguments, suppressed] : cases) {
    EXPECT_EQ(SplashSuppressed(arguments), suppressed) << arguments.join(QLatin1Char(' ')).toStdString();
  }
}

}  // namespace
}  // namespace cbx::ui
