// Support commands of calibrix-cli: folders, INI lookups, texts and the program version.
#pragma once

#include <CLI/CLI.hpp>

namespace cbx::cli {

// Adds `paths`, `inspect ini`, `inspect text` and `version` to the application.
// Each command's callback sets `exitCode`.
void AddSupportCommands(CLI::App& app, int& exitCode);

}  // namespace cbx::cli
