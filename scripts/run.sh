#!/usr/bin/env bash
# Fresh machine to a running program: installs the packages, builds, starts calibrix-cli
# with the given arguments (default: the program's folders and version).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh >/dev/null
bash scripts/build.sh >/dev/null
if [ "$#" -eq 0 ]; then
  build/bin/calibrix-cli version
  exec build/bin/calibrix-cli paths
fi
exec build/bin/calibrix-cli "$@"
