// calibrix-cli commands that talk to a device.
#pragma once

#include <CLI/CLI.hpp>

#include "cli/CliContext.h"

namespace cbx::cli {

// Adds `identify`.
void AddDeviceCommands(CLI::App& app, CliContext& context);

}  // namespace cbx::cli
