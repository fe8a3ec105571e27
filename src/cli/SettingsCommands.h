// calibrix-cli settings: read the mounted lens's settings and show them, or change them.
#pragma once

#include <CLI/CLI.hpp>

#include "cli/CliContext.h"

namespace cbx::cli {

// Adds `settings dump` and `settings set`.
void AddSettingsCommands(CLI::App& app, CliContext& context);

}  // namespace cbx::cli
