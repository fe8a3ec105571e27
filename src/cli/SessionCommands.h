// calibrix-cli watch, check and update: the device session of the window, in a terminal.
#pragma once

#include <CLI/CLI.hpp>

#include "cli/CliContext.h"

namespace cbx::cli {

void AddSessionCommands(CLI::App& app, CliContext& context);

}  // namespace cbx::cli
