#!/usr/bin/env bash
# Remakes the window pictures in docs/screenshots from the synthetic game files,
# and their list in the README.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "== 检查需要的软件包……"
scripts/setup.sh
scripts/build.sh korvane-screenshots
echo "== 在屏幕外打开每个窗口并截图，写入 docs/screenshots ……"
QT_QPA_PLATFORM=offscreen build/tools/korvane-screenshots --readme README.md docs/screenshots
