// calibrix-cli history: list, export and import the device history.
#pragma once

#include <CLI/CLI.hpp>

#include "cli/CliContext.h"

namespace cbx::cli {

void AddHistoryCommands(CLI::App& app, CliContext& context);

}  // namespace cbx::cli
