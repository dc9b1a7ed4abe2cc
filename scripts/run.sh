#!/usr/bin/env bash
# Sets up, builds and starts the editor. Builds only what it starts and offers (the
# editor, the sample tool and korvane-tool), not the tests. Puts placeholder name
# lists beside the program when it has none, and writes sample game files for
# trying it out.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "== 检查需要的软件包……"
scripts/setup.sh
scripts/build.sh korvane korvane-samples korvane-tool

if [ ! -e build/unit.txt ]; then
  build/tools/korvane-samples --lists-only build >/dev/null
  echo "已在程序旁边放入占位名称列表：$(pwd)/build（unit.txt、ts.txt、pilot.txt、data/）。"
fi
if [ ! -e build/samples/SLPS_255.37 ]; then
  build/tools/korvane-samples --game-only build/samples >/dev/null
fi
echo "可以打开的合成游戏文件：$(pwd)/build/samples/SLPS_255.37 和 $(pwd)/build/samples/stage.bin"
if [ ! -e build/samples/game.iso ]; then
  build/tools/korvane-samples --image-only build/samples >/dev/null ||
    echo "没有写出示例光盘镜像：需要 genisoimage 或 xorriso（scripts/setup.sh 会安装）。"
fi
if [ -e build/samples/game.iso ]; then
  echo "示例光盘镜像（文件夹 GAME 里有 SLPS_255.37 和 stage.bin）：$(pwd)/build/samples/game.iso"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "没有找到显示器：在 xvfb-run 下启动修改器。"
  exec xvfb-run -a build/korvane "$@"
fi
echo "== 启动修改器 build/korvane ……"
exec build/korvane "$@"
