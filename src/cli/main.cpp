// calibrix-cli: the device session without a window, plus support commands.
#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>

#include "cli/SupportCommands.h"

int main(int argc, char** argv) {
  CLI::App app{"ORVANE Calibrix command-line tool"};
  app.name("calibrix-cli");
  app.require_subcommand(1);
  int exitCode = 0;
  cbx::cli::AddSupportCommands(app, exitCode);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  } catch (const std::exception& e) {
    std::cerr << "calibrix-cli: " << e.what() << "\n";
    return 1;
  }
  return exitCode;
}
