// Support commands of calibrix-cli: folders, INI lookups, texts and the program version.
#pragma once

#include <CLI/CLI.hpp>

#include "cli/CliContext.h"

namespace cbx::cli {

// Adds `paths`, `inspect ini`, `inspect text` and `version` to the application.
// Each command's callback sets the context's exit code.
void AddSupportCommands(CLI::App& app, CliContext& context);

}  // namespace cbx::cli
