#!/usr/bin/env bash
# Writes a PNG of the whole X display to FILE ($1).
set -eu
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The root window, then every mapped top-level window pasted over it from the bottom up:
# Xvfb's root capture leaves out windows that are not drawn into the root's own buffer.
xwd -root -silent | xwdtopnm 2>/dev/null > "$work/shot.pnm"
xwininfo -root -children | awk '/^ +0x/ && $0 ~ /[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+/ {print $1}' | tac | while read -r id; do
  info=$(xwininfo -id "$id")
  echo "$info" | grep -q 'Map State: IsViewable' || continue
  x=$(echo "$info" | awk '/Absolute upper-left X/ {print $4}')
  y=$(echo "$info" | awk '/Absolute upper-left Y/ {print $4}')
  w=$(echo "$info" | awk '/Width:/ {print $2}')
  [ "$w" -gt 8 ] || continue
  xwd -id "$id" -silent | xwdtopnm 2>/dev/null > "$work/win.pnm" || continue
  pnmpaste "$work/win.pnm" "$x" "$y" "$work/shot.pnm" > "$work/shot2.pnm" 2>/dev/null && mv "$work/shot2.pnm" "$work/shot.pnm"
done
pnmtopng "$work/shot.pnm" > "$1"
