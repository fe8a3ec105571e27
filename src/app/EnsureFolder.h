// Creating the folders a file is about to be written into.
#pragma once

#include <string>

namespace cbx {

// Creates every missing folder of `folder`, top down. Fails when any part of the path
// exists as a file, or when a folder cannot be made.
bool EnsureFolder(const std::string& folder);

}  // namespace cbx
