#!/usr/bin/env bash
# Sets up, builds and starts the editor. Puts placeholder name lists beside the
# program when it has none, and writes sample game files for trying it out.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh

if [ ! -e build/unit.txt ]; then
  build/tools/korvane-samples --lists-only build >/dev/null
  echo "Placeholder name lists written beside the program: $(pwd)/build (unit.txt, ts.txt, pilot.txt, data/)."
fi
if [ ! -e build/samples/SLPS_255.37 ]; then
  build/tools/korvane-samples --game-only build/samples >/dev/null
fi
echo "Sample game files to open: $(pwd)/build/samples/SLPS_255.37 and $(pwd)/build/samples/stage.bin"
if [ ! -e build/samples/game.iso ]; then
  build/tools/korvane-samples --image-only build/samples >/dev/null ||
    echo "没有写出示例光盘镜像：需要 genisoimage 或 xorriso（scripts/setup.sh 会安装）。"
fi
if [ -e build/samples/game.iso ]; then
  echo "示例光盘镜像（文件夹 GAME 里有 SLPS_255.37 和 stage.bin）：$(pwd)/build/samples/game.iso"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting the editor under xvfb-run."
  exec xvfb-run -a build/korvane "$@"
fi
exec build/korvane "$@"
