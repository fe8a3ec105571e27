#!/usr/bin/env bash
# Fresh machine to a running program: installs the packages, builds, and starts the desktop
# application in demo mode (virtual devices, built-in sample server). With arguments it
# runs calibrix-cli with them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh >/dev/null
bash scripts/build.sh >/dev/null
if [ "$#" -gt 0 ]; then
  exec build/bin/calibrix-cli "$@"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display here; the window opens on a virtual display (xvfb-run)" >&2
  exec xvfb-run -a build/bin/calibrix --demo
fi
exec build/bin/calibrix --demo
