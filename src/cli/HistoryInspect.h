// calibrix-cli inspect history: what a lens history file holds, without loading it.
#pragma once

#include <CLI/CLI.hpp>

namespace cbx::cli {

// Adds `history FILE [--json]` below the `inspect` command.
void AddHistoryInspectCommand(CLI::App& inspect);

}  // namespace cbx::cli
