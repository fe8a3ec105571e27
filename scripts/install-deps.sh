#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the tools need.
# Used by README, .ci/run and new developers alike; safe to run again.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev fonts-dejavu-core
  libhidapi-dev libudev-dev
  libcurl4-openssl-dev libssl-dev libarchive-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev
  libcli11-dev nlohmann-json3-dev
  xvfb xauth 7zip
  clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
