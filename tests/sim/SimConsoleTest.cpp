#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "SimTestSupport.h"
#include "sim/SimConsole.h"
#include "sim/VirtualDevice.h"

namespace cbx::sim {
namespace {

TEST(SimConsole, CommandsChangeTheDeviceAndAnswerOkOrError) {
  struct Step {
    std::string line;
    std::string answer;  // "error" matches any "error: ..."
    std::function<bool(const VirtualDevice&)> holds = nullptr;
  };
  const Step steps[] = {
      {"", ""},
      {"# a comment", ""},
      {"unplug", "ok", [](const VirtualDevice& d) { return !d.IsPlugged(); }},
      {"plug", "ok", [](const VirtualDevice& d) { return d.IsPlugged(); }},
      {"plug now", "error"},
      {"unmount", "ok", [](const VirtualDevice& d) { return !d.Attached(); }},
      {"mount teleconverter-prime", "ok",
       [](const VirtualDevice& d) { return d.Attached() && d.Attached()->mountCode == 0x11; }},
      {"mount empty-dock", "error"},
      {"mount no-such-profile", "error"},
      {"mount", "error"},
      {"status 0xEE", "ok", [](const VirtualDevice& d) { return d.GetFaults().forcedStatus == 0xEE; }},
      {"status 0x1FF", "error"},
      {"status auto", "ok", [](const VirtualDevice& d) { return !d.GetFaults().forcedStatus; }},
      {"fault silent 0x0201", "ok",
       [](const VirtualDevice& d) {
         return d.GetFaults().reply == ReplyFault::Silent && d.GetFaults().replyFaultCode == 0x0201;
       }},
      {"fault wrong-code", "ok",
       [](const VirtualDevice& d) {
         return d.GetFaults().reply == ReplyFault::WrongCode && !d.GetFaults().replyFaultCode;
       }},
      {"fault disconnect-after 3", "ok", [](const VirtualDevice& d) { return d.GetFaults().disconnectAfter == 3u; }},
      {"fault disconnect-after 0", "error"},
      {"fault sometimes", "error"},
      {"fault none", "ok",
       [](const VirtualDevice& d) {
         return d.GetFaults().reply == ReplyFault::None && !d.GetFaults().disconnectAfter;
       }},
      {"swap flash-unit", "ok",
       [](const VirtualDevice& d) { return d.IsPlugged() && d.ProductId() == dock::kProductFlash; }},
      {"dance", "error"},
  };
  VirtualDevice device(LoadProfile("zoom-lens-dock"));
  SimConsole console(device);
  for (const Step& step : steps) {
    SCOPED_TRACE(step.line);
    const SimConsole::Answer answer = console.Execute(step.line);
    if (step.answer == "error") {
      EXPECT_EQ(answer.text.rfind("error: ", 0), 0u) << answer.text;
    } else {
      EXPECT_EQ(answer.text, step.answer);
    }
    EXPECT_FALSE(answer.quit);
    if (step.holds) {
      EXPECT_TRUE(step.holds(device));
    }
  }
  EXPECT_TRUE(console.Execute("quit").quit);
}

}  // namespace
}  // namespace cbx::sim
