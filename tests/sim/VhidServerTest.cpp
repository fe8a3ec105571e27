#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "SimTestSupport.h"
#include "sim/VhidServer.h"
#include "sim/VirtualDevice.h"
#include "support/Subprocess.h"

namespace cbx::sim {
namespace {

using test::LinkClient;
namespace cmd = dock::cmd;

std::vector<std::uint8_t> Hello(std::uint16_t vendor, std::uint16_t product) {
  return {'V', 'H', 'I', 'D', static_cast<std::uint8_t>(vendor & 0xFF), static_cast<std::uint8_t>(vendor >> 8),
          static_cast<std::uint8_t>(product & 0xFF), static_cast<std::uint8_t>(product >> 8)};
}

class VhidServerTest : public ::testing::Test {
 protected:
  void Serve(DeviceProfile profile) {
    device_ = std::make_shared<VirtualDevice>(std::move(profile));
    server_ = std::make_unique<VhidServer>(device_, "127.0.0.1", 0);
    ASSERT_NE(server_->Port(), 0);
  }
  // Connects and checks the hello.
  std::unique_ptr<LinkClient> Connect(std::uint16_t product = dock::kProductLensDock) const {
    auto client = std::make_unique<LinkClient>(server_->Port());
    EXPECT_TRUE(client->Connected());
    EXPECT_EQ(client->Receive(8), Hello(dock::DockVendorId(), product));
    return client;
  }

  std::shared_ptr<VirtualDevice> device_;
  std::unique_ptr<VhidServer> server_;
};

TEST_F(VhidServerTest, SendsHelloThenCarriesRawReportsBothWays) {
  Serve(test::DockProfile());
  EXPECT_EQ(server_->Address(), "127.0.0.1:" + std::to_string(server_->Port()));
  const auto client = Connect();

  ASSERT_TRUE(client->Send(dock::CodeRequest{cmd::kStatus}.Encode()));
  const auto status = client->ReceiveReport();
  ASSERT_TRUE(status);
  EXPECT_EQ(dock::CodeOf(*status), cmd::kStatusReply);
  EXPECT_EQ(dock::StatusReply::Decode(*status).status, 0xAA);

  // No framing: two reports in one write, split anywhere, are two requests in order.
  std::vector<std::uint8_t> two;
  for (std::uint16_t code : {cmd::kProductCode, cmd::kPathCode}) {
    const dock::Report r = dock::CodeRequest{code}.Encode();
    two.insert(two.end(), r.begin(), r.end());
  }
  ASSERT_TRUE(client->Send(std::vector<std::uint8_t>(two.begin(), two.begin() + 30)));
  ASSERT_TRUE(client->Send(std::vector<std::uint8_t>(two.begin() + 30, two.end())));
  const auto product = client->ReceiveReport();
  const auto path = client->ReceiveReport();
  ASSERT_TRUE(product && path);
  EXPECT_EQ(dock::ProductCodeReply::Decode(*product).productCode, 0x04A1);
  EXPECT_EQ(dock::CodeOf(*path), cmd::kPathCodeReply);
}

TEST_F(VhidServerTest, ServesOneHostAtATime) {
  Serve(test::DockProfile());
  {
    const auto first = Connect();
    LinkClient second(server_->Port());
    ASSERT_TRUE(second.Connected());
    EXPECT_TRUE(second.ClosedByPeer()) << "a second host is closed at once";
    ASSERT_TRUE(first->Send(dock::CodeRequest{cmd::kStatus}.Encode()));
    EXPECT_TRUE(first->ReceiveReport());
  }
  // A host that closes (as after a hello it did not look for) frees the device.
  ASSERT_TRUE(test::Eventually([&] { return !device_->IsOpen(); }));
  const auto next = Connect();
  ASSERT_TRUE(next->Send(dock::CodeRequest{cmd::kStatus}.Encode()));
  EXPECT_TRUE(next->ReceiveReport());
}

TEST_F(VhidServerTest, UnplugClosesTheConnectionAndRefusesUntilPlugged) {
  Serve(test::DockProfile());
  const auto client = Connect();

  device_->Unplug();
  server_->Sync();
  EXPECT_TRUE(client->ClosedByPeer());
  EXPECT_FALSE(LinkClient(server_->Port()).Connected()) << "refused while unplugged";

  device_->Plug();
  server_->Sync();
  const auto again = Connect();
  ASSERT_TRUE(again->Send(dock::CodeRequest{cmd::kStatus}.Encode()));
  EXPECT_TRUE(again->ReceiveReport());
}

TEST_F(VhidServerTest, RestartComesBackWithTheNewProductId) {
  DeviceProfile profile = test::DockProfile();
  profile.behaviour.restartMs = 1000;
  profile.behaviour.productIdAfterRestart = dock::kProductMountConverter;
  Serve(profile);
  const auto client = Connect();
  ASSERT_TRUE(client->Send(dock::CodeRequest{cmd::kDockUpdateEnd}.Encode()));
  EXPECT_TRUE(client->ClosedByPeer());

  std::vector<std::uint8_t> hello;
  ASSERT_TRUE(test::Eventually([&] {
    LinkClient probe(server_->Port());
    hello = probe.Connected() ? probe.Receive(8, 1000) : std::vector<std::uint8_t>{};
    return !hello.empty();
  }));
  EXPECT_EQ(hello, Hello(dock::DockVendorId(), dock::kProductMountConverter));
}

TEST(DockSimProgram, ServesAProfileAndObeysCommands) {
  test::Subprocess sim({CALIBRIX_DOCK_SIM, "--profile", "zoom-lens-dock", "--listen", "127.0.0.1:0"});
  const std::string line = sim.ReadLine();
  const std::string prefix = "listening on 127.0.0.1:";
  ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
  const auto port = static_cast<std::uint16_t>(std::stoi(line.substr(prefix.size())));
  {
    LinkClient client(port);
    EXPECT_EQ(client.Receive(8), Hello(dock::DockVendorId(), dock::kProductLensDock));
    ASSERT_TRUE(sim.Send("status 0xEE"));
    EXPECT_EQ(sim.ReadLine(), "ok");
    ASSERT_TRUE(client.Send(dock::CodeRequest{cmd::kStatus}.Encode()));
    const auto reply = client.ReceiveReport();
    ASSERT_TRUE(reply);
    EXPECT_EQ(dock::StatusReply::Decode(*reply).status, 0xEE);
    ASSERT_TRUE(sim.Send("unplug"));
    EXPECT_EQ(sim.ReadLine(), "ok");
    EXPECT_TRUE(client.ClosedByPeer());
  }
  EXPECT_FALSE(LinkClient(port).Connected());
  ASSERT_TRUE(sim.Send("mount no-such-profile"));
  EXPECT_EQ(sim.ReadLine().rfind("error: ", 0), 0u);
  ASSERT_TRUE(sim.Send("quit"));
  EXPECT_EQ(sim.ReadLine(), "ok");
  EXPECT_TRUE(sim.WaitExit(std::chrono::milliseconds(test::kPatienceMs)));
  EXPECT_EQ(sim.exitCode(), 0);
}

}  // namespace
}  // namespace cbx::sim
