// calibrix-dock-sim: one virtual USB device served over the loopback virtual-HID link,
// driven by commands on standard input (see SimConsole.h). Answers go to standard output,
// traces to standard error, so that a script reading answers never sees a trace line.
#include <csignal>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>

#include <CLI/CLI.hpp>

#include "sim/DeviceProfile.h"
#include "sim/SimConsole.h"
#include "sim/VhidServer.h"
#include "sim/VirtualDevice.h"

namespace {

std::mutex gOutput;

void Say(std::ostream& out, const std::string& line) {
  std::lock_guard lock(gOutput);
  out << line << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Serves a virtual lens dock, mount converter or flash unit over the loopback virtual-HID link.\n"
               "Commands on standard input: plug, unplug, restart, mount PROFILE, unmount, swap PROFILE,\n"
               "status BYTE|auto, fault none|silent [CODE]|wrong-code [CODE]|disconnect-after N, quit."};
  std::string profileArg;
  std::string listen = "127.0.0.1:0";
  bool trace = false;
  app.add_option("--profile", profileArg, "Device profile: a JSON file, or the name of a shipped profile")->required();
  app.add_option("--listen", listen, "HOST:PORT to serve on; port 0 picks a free port")->capture_default_str();
  app.add_flag("--trace", trace, "Print every exchange on standard error");
  CLI11_PARSE(app, argc, argv);

  // A reader that goes away must end the program through EOF, not a signal.
  std::signal(SIGPIPE, SIG_IGN);

  try {
    const auto endpoint = cbx::sim::ParseEndpoint(listen);
    if (!endpoint) {
      Say(std::cerr, "calibrix-dock-sim: --listen needs HOST:PORT, got \"" + listen + "\"");
      return 2;
    }
    auto device = std::make_shared<cbx::sim::VirtualDevice>(cbx::sim::LoadProfile(profileArg));
    cbx::sim::VhidServer::Trace traceLine;
    if (trace) traceLine = [](const std::string& line) { Say(std::cerr, line); };
    device->SetTrace(traceLine);
    cbx::sim::VhidServer server(device, endpoint->host, endpoint->port, traceLine);
    Say(std::cout, "listening on " + server.Address());

    cbx::sim::SimConsole console(*device);
    for (std::string line; std::getline(std::cin, line);) {
      const cbx::sim::SimConsole::Answer answer = console.Execute(line);
      // "ok" promises that the link already shows the change.
      server.Sync();
      if (!answer.text.empty()) Say(std::cout, answer.text);
      if (answer.quit || !server.Error().empty()) break;
    }
    server.Stop();
    if (const std::string error = server.Error(); !error.empty()) {
      Say(std::cerr, "calibrix-dock-sim: " + error);
      return 1;
    }
  } catch (const std::exception& e) {
    Say(std::cerr, std::string("calibrix-dock-sim: ") + e.what());
    return 1;
  }
  return 0;
}
