#!/usr/bin/env bash
# Installs the Debian package on a fresh Debian 12 root and starts `calibrix --demo` from the
# installed files under Xvfb, keeping a screenshot. Needs root and network access; takes
# minutes, so it is not part of CI.
#
#   bash tools/package/check-deb.sh [PACKAGE.deb] [SCREENSHOT.png]
#
# PACKAGE defaults to the newest dist/calibrix_*.deb (bash scripts/package.sh makes it),
# SCREENSHOT to docs/screenshots/installed-demo.png. The bare Debian root is made once with
# debootstrap in $BASE (default /tmp/calibrix-deb-base) and copied afresh for every run to
# $ROOT (default /tmp/calibrix-deb-root).
set -euo pipefail
cd "$(dirname "$0")/../.."
DEB="$(realpath "${1:-$(ls -t dist/calibrix_*.deb | head -n 1)}")"
SHOT="$(realpath -m "${2:-docs/screenshots/installed-demo.png}")"
BASE="${BASE:-/tmp/calibrix-deb-base}"
ROOT="${ROOT:-/tmp/calibrix-deb-root}"
MIRROR="${MIRROR:-http://deb.debian.org/debian}"

[ "$(id -u)" -eq 0 ] || { echo "check-deb.sh: run as root" >&2; exit 1; }

if [ ! -f "$BASE/etc/debian_version" ]; then
  command -v debootstrap >/dev/null || { apt-get update -qq && apt-get install -y -qq debootstrap; }
  rm -rf "$BASE"
  debootstrap --variant=minbase bookworm "$BASE" "$MIRROR"
  cat > "$BASE/etc/apt/sources.list" <<SOURCES
deb $MIRROR bookworm main
deb $MIRROR bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
SOURCES
fi

mounted=()
cleanup() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" || true; done
}
trap cleanup EXIT

rm -rf "$ROOT"
cp -a "$BASE" "$ROOT"
mount -t proc proc "$ROOT/proc" && mounted+=("$ROOT/proc")
mount -t sysfs sysfs "$ROOT/sys" && mounted+=("$ROOT/sys")
mount --bind /dev "$ROOT/dev" && mounted+=("$ROOT/dev")
mount --bind /dev/pts "$ROOT/dev/pts" && mounted+=("$ROOT/dev/pts")
cp /etc/resolv.conf "$ROOT/etc/resolv.conf"
cp "$DEB" "$ROOT/tmp/"

in_root() { chroot "$ROOT" env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
  DEBIAN_FRONTEND=noninteractive "$@"; }

echo "== apt install ./$(basename "$DEB")"
in_root apt-get update -qq
in_root apt-get install -y -q "./tmp/$(basename "$DEB")"

echo "== installed files"
in_root dpkg -L calibrix | grep -E '^/usr/(bin|share/calibrix/[^/]*$|share/applications|share/icons|lib/udev)' | sort
in_root test -f /usr/share/calibrix/server/ProductInformation.txt -o -d /usr/share/calibrix/server
in_root calibrix-cli paths
in_root calibrix-cli identify --device sim:zoom-lens-dock

# The display and screenshot tools come after the package, so that it brings all it needs.
echo "== calibrix --demo under Xvfb"
cp tools/package/screenshot.sh "$ROOT/tmp/screenshot.sh"
in_root apt-get install -y -q --no-install-recommends xvfb xauth x11-apps x11-utils netpbm
in_root xvfb-run -a -s "-screen 0 1280x800x24" sh -c '
  calibrix --demo > /tmp/calibrix.out 2>&1 &
  pid=$!
  sleep 10
  if ! kill -0 "$pid" 2>/dev/null; then echo "calibrix ended early:"; cat /tmp/calibrix.out; exit 1; fi
  bash /tmp/screenshot.sh /tmp/installed-demo.png
  kill "$pid"; wait "$pid" 2>/dev/null || true'
mkdir -p "$(dirname "$SHOT")"
cp "$ROOT/tmp/installed-demo.png" "$SHOT"
echo "== ok: $(basename "$DEB") installed and started; screenshot $SHOT"
