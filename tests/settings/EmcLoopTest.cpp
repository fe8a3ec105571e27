// The EMC test's AF data loop against a virtual lens on the lens dock: what it writes back,
// where a cancel takes effect, and how a lens that stops answering ends it.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <optional>

#include "app/Log.h"
#include "lens/EmcTest.h"
#include "lens/SettingsWorkers.h"
#include "support/EmcRecorder.h"
#include "support/LensOnDock.h"
#include "support/TempDir.h"

namespace cbx::lens {
namespace {

using Clock = std::chrono::steady_clock;
const std::string kSource = CALIBRIX_SOURCE_DIR;
constexpr int kWaitMs = 150;
const std::string T = kEmcStatusTransfer, W = kEmcStatusWaiting, C = kEmcStatusCancelling;

class EmcLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Log::Instance().Configure(true, dir_ / "CBXLog.txt");
    EmcLoop::SetWaitMs(kWaitMs);
    test::LensOnDock lens = test::ConnectLensOnDock("zoom-lens-dock", kSource + "/demo/server/4A1/KV/0123/1.03.ini", 300);
    device_ = lens.device;
    dock_ = std::move(lens.dock);
    ASSERT_TRUE(lens.found);
    ASSERT_EQ(lens.valid, 1);
    model_.SetLensInfo(lens.info);
    control_.emplace();
    recorder_.emplace();
  }
  void TearDown() override {
    EmcLoop::SetWaitMs(3000);
    Log::Instance().Configure(false, "");
  }

  int RunLoop(test::EmcRecorder::CancelWhen cancelWhen) {
    return recorder_->Run(*control_, [&] { return EmcLoop::AfData(*dock_, model_, *control_); }, std::move(cancelWhen));
  }
  std::string LogText() const {
    std::ifstream in(dir_ / "CBXLog.txt");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  test::TempDir dir_;
  LensSettingsModel model_;
  std::shared_ptr<sim::VirtualDevice> device_;
  std::unique_ptr<dock::DockDevice> dock_;
  // One of each per run of the loop.
  std::optional<EmcControl> control_;
  std::optional<test::EmcRecorder> recorder_;
};

TEST_F(EmcLoopTest, WritesBackWhatItJustReadWithTheEditedTableOfTheCurrentSet) {
  // Images from an earlier read, then the lens changes behind them: the loop must write
  // back the lens as it reads it now, not the stale images.
  model_.AfImage = {Block(2048, 0x11), Block(2048, 0x22)};
  auto lens = *device_->Attached();
  lens.afArea[0x100] = 0x42;
  device_->Mount(lens);
  for (std::size_t i = 0; i < 512; ++i) model_.afEditBuffer[i] = EncodeAfValue(static_cast<int>(i % 41) - 20);

  // Cancelled as the write starts: the write completes, then its pause, then the end.
  EXPECT_EQ(RunLoop([](const auto& seen) { return seen.statuses.size() == 3; }), kTransferSuccess);
  EXPECT_EQ(recorder_->Get().statuses, (std::vector<std::string>{T, W, T, C}));

  // The zoom lens's set 0: its table at 0x200 and its half-scale copy at 0x800.
  auto expected = lens.afArea;
  for (std::size_t i = 0; i < 512; ++i) {
    expected[0x200 + i] = model_.afEditBuffer[i];
    expected[0x800 + i] = HalfScaleByte(model_.afEditBuffer[i]);
  }
  EXPECT_EQ(device_->AfArea(), expected);
  // The images follow the lens; its CS record lives in the same area.
  ASSERT_EQ(model_.AfImage.size(), 2u);
  EXPECT_TRUE(std::equal(model_.AfImage[0].begin(), model_.AfImage[0].end(), expected.begin()));
  EXPECT_EQ(model_.CsImage, model_.AfImage);
}

TEST_F(EmcLoopTest, CancelTakesEffectOnlyBetweenSteps) {
  struct Case {
    const char* name;
    test::EmcRecorder::CancelWhen when;
    std::vector<std::string> statuses;
    bool written;
    int pauses;  // completed after the cancel was pressed, at the least
  };
  const Case cases[] = {
      {"in the read", [](const auto& s) { return s.statuses.size() == 1 && s.position >= 20; }, {T, C}, false, 0},
      {"in the pause", [](const auto& s) { return s.statuses.size() == 2; }, {T, W, C}, false, 1},
      {"in the write", [](const auto& s) { return s.statuses.size() == 3 && s.position >= 20; }, {T, W, T, C}, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    model_.afEditBuffer = LensSettingsModel::FilledTable(EncodeAfValue(4));
    const auto before = device_->AfArea();
    const auto start = Clock::now();
    EXPECT_EQ(RunLoop(c.when), kTransferSuccess);
    const auto seen = recorder_->Get();
    EXPECT_EQ(seen.statuses, c.statuses);
    // The step under way ran to its end: the bar of its 128 units stopped at 127.
    EXPECT_EQ(seen.position, 127);
    EXPECT_EQ(model_.AfImage.size(), 2u);
    EXPECT_EQ(device_->AfArea() != before, c.written);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(kWaitMs * c.pauses));
  }
}

TEST_F(EmcLoopTest, ALensThatStopsAnsweringEndsTheLoopWithItsError) {
  struct Case {
    const char* name;
    std::function<void(sim::VirtualDevice&)> fault;  // once the read is done
    sim::Faults before;
    const char* report;
  };
  sim::Faults pulled;
  pulled.disconnectAfter = 6;
  sim::Faults refused;
  refused.unitStatus = sim::UnitStatusFault{5, 0x00};
  const Case cases[] = {
      {"pulled in the read", {}, pulled, "ErrNo.8027"},
      {"pulled in the write", [&](sim::VirtualDevice& d) { d.SetFaults(pulled); }, {}, "ErrNo.8127"},
      {"write refused", [&](sim::VirtualDevice& d) { d.SetFaults(refused); }, {}, "ErrNo.8129"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    device_->SetFaults(c.before);
    const auto images = model_.AfImage;
    // The fault comes in the first pause, so it hits the write.
    bool armed = false;
    const int result = RunLoop([&](const auto& seen) {
      if (c.fault && !armed && seen.statuses.size() == 2) {
        c.fault(*device_);
        armed = true;
      }
      return seen.statuses.size() > 8;  // a lens that never fails must not hang the test
    });
    EXPECT_EQ(result, kTransferDeviceFailure);
    EXPECT_NE(LogText().find(c.report), std::string::npos) << LogText();
    // A read cut short leaves the images as they were.
    if (!c.fault) {
      EXPECT_EQ(model_.AfImage, images);
    }
    std::filesystem::remove(dir_ / "CBXLog.txt");
  }
}

}  // namespace
}  // namespace cbx::lens
