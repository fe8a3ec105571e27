// calibrix-cli commands that show how the program reads product information files and
// compares versions, without a device or a server.
#pragma once

#include <CLI/CLI.hpp>

namespace cbx::cli {

// Adds `product-info` and `compare` below the `inspect` command.
void AddProductInfoCommands(CLI::App& inspect);

}  // namespace cbx::cli
