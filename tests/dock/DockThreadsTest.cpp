// The connect and status-poll threads against scripted devices. The tests wait for
// events with generous limits and check events and their order, never timings.
#include <gtest/gtest.h>

#include "dock/DockDevice.h"
#include "ScriptedHid.h"

namespace cbx::dock {
namespace {

using namespace std::chrono_literals;
using test::ScriptedBackend;
using test::ScriptedDevice;
using test::StatusResponder;

constexpr auto kEventLimit = 10s;

std::uintptr_t StatusChange(int previous, int now) {
  return (static_cast<std::uintptr_t>(now) << 16) | static_cast<std::uintptr_t>(previous);
}

Event NextEvent(EventQueue& events) {
  const auto e = events.Next(kEventLimit);
  if (!e) {
    ADD_FAILURE() << "no event arrived";
    return {};
  }
  return *e;
}

bool WaitUntil(const std::function<bool()>& condition) {
  const auto end = std::chrono::steady_clock::now() + kEventLimit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

TEST(DockThreads, PollThreadPostsEveryChangeAndEndsOnAFailedRequest) {
  auto backend = std::make_shared<ScriptedBackend>();
  StatusResponder responder;
  auto device = backend->Add(std::make_shared<ScriptedDevice>(kProductLensDock, responder));
  EventQueue events;
  DockDevice dock(backend);
  dock.SetReadTimeoutMs(300);
  dock.RegisterArrival(&events);
  bool r = false, w = false;
  ASSERT_TRUE(dock.FindDevice(kProductLensDock, r, w));

  dock.StartPolling();
  Event e = NextEvent(events);
  EXPECT_EQ(e.message, WM_DOCK_STATUS);
  EXPECT_EQ(e.wParam, StatusChange(0, 0xAA));
  responder.status->store(0xCC);
  EXPECT_EQ(NextEvent(events).wParam, StatusChange(0xAA, 0xCC));
  // A byte that is no status counts as a failed request, exactly like a lost device.
  responder.status->store(0x55);
  EXPECT_EQ(NextEvent(events).wParam, StatusChange(0xCC, 1));
  EXPECT_TRUE(WaitUntil([&] { return !dock.IsPolling(); }));
  EXPECT_EQ(dock.lastStatus(), 1);
  EXPECT_FALSE(events.Next(0ms));
}

TEST(DockThreads, ConnectThreadPrefersDockThenFlashThenConverter) {
  const struct {
    std::vector<std::uint16_t> present;
    DeviceKind expected;
  } cases[] = {
      {{kProductMountConverter, kProductFlash, kProductLensDock}, DeviceKind::LensDock},
      {{kProductMountConverter, kProductFlash}, DeviceKind::Flash},
      {{kProductMountConverter}, DeviceKind::MountConverter},
  };
  for (const auto& c : cases) {
    auto backend = std::make_shared<ScriptedBackend>();
    for (auto pid : c.present) backend->Add(std::make_shared<ScriptedDevice>(pid, StatusResponder{}));
    EventQueue events;
    DockDevice dock(backend);
    dock.RegisterArrival(&events);
    dock.StartConnectThread();
    const Event e = NextEvent(events);
    EXPECT_EQ(e.message, WM_DOCK_OPENED);
    EXPECT_EQ(e.wParam, 1u);
    EXPECT_EQ(dock.deviceKind(), c.expected);
    EXPECT_TRUE(WaitUntil([&] { return !dock.IsConnecting(); }));
    EXPECT_TRUE(dock.IsReady());
  }
}

TEST(DockThreads, LockedDeviceIsAnnouncedOnceThenOpensWhenAllowed) {
  auto backend = std::make_shared<ScriptedBackend>();
  auto device = backend->Add(std::make_shared<ScriptedDevice>(kProductLensDock, StatusResponder{}));
  device->locked = true;
  EventQueue events;
  DockDevice dock(backend);
  dock.RegisterArrival(&events);
  dock.StartConnectThread();
  EXPECT_EQ(NextEvent(events).message, WM_DOCK_ACCESS_DENIED);
  EXPECT_EQ(dock.DeniedDevicePath(), "scripted");
  // Later passes meet the same locked node and stay quiet.
  EXPECT_FALSE(events.Next(3 * kConnectInterval));
  EXPECT_TRUE(dock.IsConnecting());

  device->locked = false;
  const Event opened = NextEvent(events);
  EXPECT_EQ(opened.message, WM_DOCK_OPENED);
  EXPECT_EQ(opened.wParam, 1u);
  EXPECT_FALSE(dock.DeniedDevicePath());
}

TEST(DockThreads, DeviceWithOtherReportLengthsNeverBecomesReady) {
  auto backend = std::make_shared<ScriptedBackend>();
  auto device = std::make_shared<ScriptedDevice>(kProductLensDock, StatusResponder{});
  device->reportLength = 64;
  backend->Add(device);
  EventQueue events;
  DockDevice dock(backend);
  dock.RegisterArrival(&events);
  bool r = false, w = false;
  ASSERT_TRUE(dock.FindDevice(kProductLensDock, r, w));
  EXPECT_TRUE(dock.Record().has_value());
  EXPECT_FALSE(dock.IsReady());
  int status = 0;
  EXPECT_FALSE(dock.RequestStatus(status));
  EXPECT_EQ(status, kStatusNoAnswer);
  dock.Close();

  dock.StartConnectThread();
  EXPECT_TRUE(dock.IsConnecting());
  EXPECT_FALSE(events.Next(1500ms)) << "a device that is never ready is never announced";
  dock.StopConnectThread();
  EXPECT_FALSE(dock.IsConnecting());
  EXPECT_TRUE(device->Written().empty()) << "no report moves to a device that is not ready";
}

TEST(DockThreads, UnplugDuringPollingThenReconnect) {
  auto backend = std::make_shared<ScriptedBackend>();
  auto device = backend->Add(std::make_shared<ScriptedDevice>(kProductLensDock, StatusResponder{}));
  EventQueue events;
  DockDevice dock(backend);
  dock.RegisterArrival(&events);

  dock.StartConnectThread();
  EXPECT_EQ(NextEvent(events).message, WM_DOCK_OPENED);
  ASSERT_TRUE(WaitUntil([&] { return !dock.IsConnecting(); }));
  dock.StartPolling();
  EXPECT_EQ(NextEvent(events).wParam, StatusChange(0, 0xAA));

  device->SetPresent(false);
  const Event lost = NextEvent(events);
  EXPECT_EQ(lost.message, WM_DOCK_STATUS);
  EXPECT_EQ(lost.wParam, StatusChange(0xAA, 1));
  ASSERT_TRUE(WaitUntil([&] { return !dock.IsPolling(); }));

  // What the controller does on loss: close, then look for the device again.
  dock.Close();
  dock.StartConnectThread();
  EXPECT_FALSE(events.Next(700ms));
  device->SetPresent(true);
  const Event opened = NextEvent(events);
  EXPECT_EQ(opened.message, WM_DOCK_OPENED);
  EXPECT_EQ(opened.wParam, 1u);
  dock.StartPolling();
  EXPECT_EQ(NextEvent(events).wParam, StatusChange(0, 0xAA)) << "Close resets the last status to 0";
}

TEST(DockThreads, StopConnectEndsASearchWithNothingPresent) {
  auto backend = std::make_shared<ScriptedBackend>();
  EventQueue events;
  DockDevice dock(backend);
  dock.RegisterArrival(&events);
  dock.StartConnectThread();
  EXPECT_TRUE(dock.IsConnecting());
  std::this_thread::sleep_for(600ms);
  dock.StopConnectThread();
  EXPECT_FALSE(dock.IsConnecting());
  EXPECT_EQ(dock.deviceKind(), DeviceKind::NoDevice);
  EXPECT_EQ(events.Size(), 0u);
}

TEST(DockThreads, ExclusiveRequestPausesAndResumesPollingAndNullSinkSilencesPosts) {
  auto backend = std::make_shared<ScriptedBackend>();
  StatusResponder responder;
  backend->Add(std::make_shared<ScriptedDevice>(kProductLensDock, responder));
  EventQueue events;
  DockDevice dock(backend);
  bool r = false, w = false;
  ASSERT_TRUE(dock.FindDevice(kProductLensDock, r, w));
  dock.StartPolling();
  int status = 0;
  EXPECT_TRUE(dock.RequestStatusExclusive(&status));
  EXPECT_EQ(status, 0xAA);
  EXPECT_TRUE(dock.IsPolling());
  // No sink registered: the change is seen but nothing is posted.
  responder.status->store(0xEE);
  ASSERT_TRUE(WaitUntil([&] { return dock.lastStatus() == 0xEE; }));
  EXPECT_FALSE(dock.IsNotBusy());
  EXPECT_EQ(events.Size(), 0u);
  dock.StopPolling();
  EXPECT_FALSE(dock.IsPolling());
}

}  // namespace
}  // namespace cbx::dock
