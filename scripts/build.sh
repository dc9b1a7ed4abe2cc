#!/usr/bin/env bash
# Configures and builds into ./build (Release, with the tests). Targets named on
# the command line are built alone; without any, everything is.
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
if [ -e build/CMakeCache.txt ]; then
  echo "== 检查构建配置（CMake）……"
else
  echo "== 第一次配置构建（CMake 查找编译器和 Qt，约需半分钟到一分钟）……"
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
if [ $# -eq 0 ]; then
  echo "== 编译全部目标：修改器、工具、测试和基准测试（每行是一个编译步骤）……"
  cmake --build build
else
  echo "== 编译：$*（每行是一个编译步骤）……"
  cmake --build build --target "$@"
fi
echo "== 编译完成。"
