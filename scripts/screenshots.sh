#!/usr/bin/env bash
# Remakes the window pictures in docs/screenshots from the synthetic game files,
# and their list in the README.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target korvane-screenshots
QT_QPA_PLATFORM=offscreen build/tools/korvane-screenshots --readme README.md docs/screenshots
