// calibrix-cli: the device session without a window, plus support commands.
#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>

#include "cli/CliContext.h"
#include "cli/DeviceCommands.h"
#include "cli/HistoryCommands.h"
#include "cli/SessionCommands.h"
#include "cli/SettingsCommands.h"
#include "cli/SupportCommands.h"

int main(int argc, char** argv) {
  CLI::App app{"ORVANE Calibrix command-line tool"};
  app.name("calibrix-cli");
  app.require_subcommand(1);
  app.fallthrough();  // --device may follow the command name
  cbx::cli::CliContext context;
  app.add_option("--device", context.device,
                 "Where to find the device: hid (default), sim:PROFILE or vhid:HOST:PORT[,HOST:PORT...]; "
                 "also taken from CALIBRIX_DEVICE");
  cbx::cli::AddSupportCommands(app, context);
  cbx::cli::AddDeviceCommands(app, context);
  cbx::cli::AddHistoryCommands(app, context);
  cbx::cli::AddSettingsCommands(app, context);
  cbx::cli::AddSessionCommands(app, context);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  } catch (const std::exception& e) {
    std::cerr << "calibrix-cli: " << e.what() << "\n";
    return 1;
  }
  return context.exitCode;
}
