#!/usr/bin/env bash
# Builds the Debian package into a folder: bash scripts/package.sh [FOLDER [CMAKE ARGS...]]
# FOLDER defaults to dist/. The build goes to its own folder (BUILD_DIR, default build-pkg),
# configured for /usr without the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
OUT_DIR="$(realpath -m "${1:-dist}")"
shift || true
BUILD_DIR="${BUILD_DIR:-build-pkg}"
bash scripts/install-deps.sh
# dpkg-shlibdeps works out the package's library dependencies.
if ! command -v dpkg-shlibdeps >/dev/null; then
  echo "package.sh: dpkg-shlibdeps is missing (Debian package dpkg-dev)" >&2
  exit 1
fi
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DCALIBRIX_TESTS=OFF "$@" >/dev/null
cmake --build "$BUILD_DIR" -j "${JOBS:-2}"
mkdir -p "$OUT_DIR"
(cd "$BUILD_DIR" && cpack -G DEB -B "$OUT_DIR" >/dev/null)
rm -rf "$OUT_DIR/_CPack_Packages"
ls -1 "$OUT_DIR"/*.deb
