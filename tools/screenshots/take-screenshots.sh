#!/usr/bin/env bash
# Writes the README's screenshots into docs/screenshots/ from the window tests, which drive
# the real window in demo mode under the offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/build.sh >/dev/null
mkdir -p docs/screenshots
CALIBRIX_SCREENSHOT_DIR="$PWD/docs/screenshots" QT_QPA_PLATFORM=offscreen \
  build/bin/calibrix_ui_tests --gtest_filter='MainWindowTest.*:HistoryListTest.*:CustomScreens*:MlMountScreens*:*LimiterAf*' >/dev/null
ls docs/screenshots
