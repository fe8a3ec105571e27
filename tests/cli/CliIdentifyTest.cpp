// calibrix-cli identify against calibrix-dock-sim over the loopback link.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "RunCli.h"
#include "support/Subprocess.h"

namespace cbx {
namespace {

using test::RunCli;
using test::Subprocess;

// A simulator serving one profile on a free loopback port.
class SimulatorTest : public ::testing::Test {
 protected:
  void Start(const std::string& profile) {
    sim_ = std::make_unique<Subprocess>(
        std::vector<std::string>{CALIBRIX_DOCK_SIM, "--profile", profile, "--listen", "127.0.0.1:0"});
    const std::string line = sim_->ReadLine();
    const std::string prefix = "listening on ";
    ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
    device_ = "vhid:" + line.substr(prefix.size());
  }

  std::string Command(const std::string& command) {
    sim_->Send(command);
    return sim_->ReadLine();
  }

  nlohmann::json Identify() {
    const auto r = RunCli("", {"identify", "--device", device_, "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    return r.exitCode == 0 ? nlohmann::json::parse(r.out) : nlohmann::json();
  }

  std::unique_ptr<Subprocess> sim_;
  std::string device_;
};

TEST_F(SimulatorTest, IdentifiesTheZoomLensDockAndNothingAfterUnplug) {
  Start("zoom-lens-dock");
  const auto id = Identify();
  EXPECT_EQ(id["deviceKind"], "LensDock");
  EXPECT_EQ(id["productId"], "0x8781");
  EXPECT_EQ(id["status"], 0xAA);
  EXPECT_EQ(id["dockId"], "KV");
  EXPECT_TRUE(id.contains("dockMountCode"));
  EXPECT_FALSE(id["dockRawVersion"].get<std::string>().empty());
  EXPECT_EQ(id["mountText"], "KV");
  EXPECT_EQ(id["serialNumber"].get<std::string>().size(), 8u);
  EXPECT_FALSE(id["productCodeText"].get<std::string>().empty());
  EXPECT_EQ(id["formatMarker"], 0xAA);

  ASSERT_EQ(Command("unplug"), "ok");
  const auto gone = RunCli("", {"identify", "--device", device_, "--json", "--wait", "1"});
  EXPECT_EQ(gone.exitCode, 3);
  EXPECT_EQ(gone.out, "");

  ASSERT_EQ(Command("plug"), "ok");
  EXPECT_EQ(Identify()["deviceKind"], "LensDock");
}

TEST_F(SimulatorTest, ConverterRenamesItsProductCode) {
  Start("mount-converter");
  const auto id = Identify();
  EXPECT_EQ(id["deviceKind"], "MountConverter");
  EXPECT_TRUE(id.contains("converterMountCode"));
  EXPECT_EQ(id["productCodeText"], "89S");
  EXPECT_EQ(id["throughConverter"], true);
}

TEST_F(SimulatorTest, EmptyDockAndUnreadableVersion) {
  Start("unreadable-version-dock");
  const auto id = Identify();
  EXPECT_EQ(id["dockRawVersion"], "0.0F.FFF0.0");
  EXPECT_EQ(id["dockDisplayVer"], "f.ff");
  ASSERT_EQ(Command("unmount"), "ok");
  const auto empty = Identify();
  EXPECT_EQ(empty["status"], 0);
  EXPECT_FALSE(empty.contains("serialNumber"));
}

TEST(CliIdentify, InProcessProfilesAndBadBackends) {
  const auto r = RunCli("", {"identify", "--device", "sim:teleconverter-prime", "--json"});
  ASSERT_EQ(r.exitCode, 0);
  const auto id = nlohmann::json::parse(r.out);
  EXPECT_EQ(id["mountCode"], 0x11);
  EXPECT_EQ(RunCli("env CALIBRIX_DEVICE=sim:flash-unit", {"identify", "--json"}).exitCode, 0);
  EXPECT_EQ(RunCli("", {"identify", "--device", "sim:no-such-profile"}).exitCode, 1);
  EXPECT_EQ(RunCli("", {"identify", "--device", "usb:whatever"}).exitCode, 1);
  EXPECT_EQ(RunCli("", {"identify", "--device", "vhid:127.0.0.1:1", "--wait", "0.5"}).exitCode, 3);
}

}  // namespace
}  // namespace cbx
